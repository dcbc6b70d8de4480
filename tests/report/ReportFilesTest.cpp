#include "ReportFixtures.h"

#include "support/Fakes.h"

#include "report/HtmlReport.h"
#include "report/ReportFiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vs;
using namespace vs::test;

namespace
{

QString Hta(const QTemporaryDir &dir)
{
    return dir.filePath(QStringLiteral("temp.hta"));
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(ReportFiles, CopyIsMadeReplacedOrSkipped)
{
    QTemporaryDir dir;
    Output o(dir.path());
    ASSERT_TRUE(WriteHtmlReport(GoldenList(), U("Январь"), {}, {}, U("dir_12-14-2007"), o.out));
    const QByteArray first = ReadAll(Hta(dir));
    EXPECT_EQ(ReadAll(dir.filePath(U("dir_12-14-2007.htm"))), first);
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{U("dir_12-14-2007.htm"), U("temp.hta")}));

    // A second report under the same name replaces the copy; the preview file
    // is overwritten every time.
    ASSERT_TRUE(WriteHtmlReport(GoldenList(), U("Февраль"), {}, {}, U("dir_12-14-2007"), o.out));
    const QByteArray second = ReadAll(Hta(dir));
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.contains("\xD4\xE5\xE2\xF0\xE0\xEB\xFC")); // Февраль
    EXPECT_EQ(ReadAll(dir.filePath(U("dir_12-14-2007.htm"))), second);

    // No name, no copy; the earlier copy stays as it was.
    ASSERT_TRUE(WriteHtmlReport(GoldenList(), U("Март"), {}, {}, QString(), o.out));
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{U("dir_12-14-2007.htm"), U("temp.hta")}));
    EXPECT_EQ(ReadAll(dir.filePath(U("dir_12-14-2007.htm"))), second);
    EXPECT_EQ(o.previews.size(), 3);
}

TEST(ReportFiles, ReadOnlyProgramFolderSendsReportsToTheUserFolder)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(U("opt/volumescope"));
    ASSERT_TRUE(QDir().mkpath(program));
    Output o(dir.path());
    o.out.place.programFolder = program;
    o.out.place.userFolder = dir.filePath(U("home/.local/share/volumescope"));
    QStringList asked;
    o.out.place.writable = [&](const QString &folder) {
        asked << folder;
        return false;
    };

    ASSERT_TRUE(WriteHtmlReport(GoldenList(), {}, {}, {}, U("копия"), o.out));
    EXPECT_EQ(asked, QStringList{program});
    EXPECT_TRUE(FilesIn(program).isEmpty());
    EXPECT_EQ(FilesIn(o.out.place.userFolder), (QStringList{U("temp.hta"), U("копия.htm")}));
    EXPECT_EQ(o.previews, QStringList{o.out.place.userFolder + U("/temp.hta")});
}

TEST(ReportFiles, AProgramInASystemFolderWritesToTheUserFolderEvenAsRoot)
{
    // Root can write to /usr/lib/volumescope, but a report left there would
    // keep the folder after the package is removed.
    QTemporaryDir dir;
    ReportPlace place;
    place.userFolder = dir.filePath(U("home/.local/share/volumescope"));
    QStringList asked;
    place.writable = [&](const QString &folder) {
        asked << folder;
        return true;
    };
    for (const QString &program :
         {U("/usr/lib/volumescope"), U("/usr/local/lib/volumescope"), U("/opt/volumescope"), U("/opt"),
          U("/bin"), U("/usr/bin/../lib/volumescope"), U("/")}) {
        place.programFolder = program;
        QString folder;
        ASSERT_TRUE(ChooseReportFolder(place, folder)) << program.toStdString();
        EXPECT_EQ(folder, place.userFolder) << program.toStdString();
    }
    EXPECT_TRUE(asked.isEmpty()) << asked.join(U(", ")).toStdString();
    EXPECT_TRUE(QFileInfo(place.userFolder).isDir());

    // A program run from its build folder or a home folder keeps its reports
    // beside it.
    for (const QString &program : {U("/home/ivan/volumescope/build/bin"), U("/usr2/bin"), U("/optional"),
                                   U("/tmp/usr/lib/volumescope")}) {
        place.programFolder = program;
        QString folder;
        ASSERT_TRUE(ChooseReportFolder(place, folder));
        EXPECT_EQ(folder, program);
    }
    EXPECT_EQ(asked, (QStringList{U("/home/ivan/volumescope/build/bin"), U("/usr2/bin"), U("/optional"),
                                  U("/tmp/usr/lib/volumescope")}));
}

TEST(ReportFiles, SystemFoldersAreTheFoldersPackagesInstallInto)
{
    for (const char *path : {"/", "/usr", "/usr/", "/usr/lib/volumescope", "/opt/x", "/bin", "/sbin/x",
                             "/lib", "/lib64/x", "/lib32", "/libx32/x", "/etc/x", "/boot",
                             "/snap/volumescope/1/bin", "//usr//lib", "/home/../usr/lib"})
        EXPECT_TRUE(IsSystemFolder(QLatin1String(path))) << path;
    for (const char *path : {"", "usr/lib", "/home/ivan", "/tmp", "/usrx", "/library", "/srv/build",
                             "/tmp/usr", "/media/usb/opt"})
        EXPECT_FALSE(IsSystemFolder(QLatin1String(path))) << path;
}

TEST(ReportFiles, WritabilityIsTheKernelsAnswerForAnUnprivilegedUser)
{
    QTemporaryDir dir;
    const QByteArray closed = QFile::encodeName(dir.filePath(U("closed")));
    const QByteArray open = QFile::encodeName(dir.filePath(U("open")));
    ASSERT_EQ(::mkdir(closed.constData(), 0755), 0);
    ASSERT_EQ(::mkdir(open.constData(), 0777), 0);
    ASSERT_EQ(::chmod(open.constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);

    EXPECT_TRUE(IsFolderWritable(closed)); // we are root, or own it
    EXPECT_FALSE(IsFolderWritable(QFile::encodeName(dir.filePath(U("missing")))));
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to an unprivileged user";

    // The child only calls async-signal-safe functions.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        const int code = (IsFolderWritable(closed) ? 1 : 0) | (IsFolderWritable(open) ? 0 : 2);
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: closed folder writable, 2: open folder not";
}

TEST(ReportFiles, UserFolderFollowsXdgDataHome)
{
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", "/home/ivan");
    qputenv("XDG_DATA_HOME", "/data/ivan");
    EXPECT_EQ(UserReportFolder(), U("/data/ivan/volumescope"));
    qputenv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(UserReportFolder(), U("/home/ivan/.local/share/volumescope"));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserReportFolder(), U("/home/ivan/.local/share/volumescope"));
    qputenv("HOME", savedHome);
    if (savedXdg.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", savedXdg);
}

TEST(ReportFiles, FailuresAreShownAndNoPreviewOpens)
{
    RecordingMessageBoxes boxes;
    QTemporaryDir dir;
    Output o(dir.path());
    o.out.boxes = &boxes;
    const QString hta = Hta(dir);

    // A folder where the preview file should be.
    ASSERT_TRUE(QDir().mkdir(hta));
    EXPECT_FALSE(WriteHtmlReport(GoldenList(), {}, {}, {}, QString(), o.out));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              U("Не удалось записать файл отчета «") + hta + U("».\nС этим именем уже есть папка."));
    EXPECT_EQ(boxes.boxes[0].title, U("Печать"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Exclamation);
    ASSERT_TRUE(QDir().rmdir(hta));

    // A copy name that is a path, and one too long for the file system: the
    // preview file is written but neither opened nor followed by a stray copy.
    EXPECT_FALSE(WriteHtmlReport(GoldenList(), {}, {}, {}, U("../escape"), o.out));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, U("Не удалось сохранить копию отчета «") + dir.path() +
                                       U("/../escape.htm».\nИмя файла не может содержать знак \"/\"."));
    const QString longName(300, u'д');
    EXPECT_FALSE(WriteHtmlReport(GoldenList(), {}, {}, {}, longName, o.out));
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[2].text, U("Не удалось сохранить копию отчета «") + dir.path() + u'/' + longName +
                                       U(".htm».\nСлишком длинное имя файла."));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{U("temp.hta")});

    // A program folder that vanished.
    o.out.place.programFolder = dir.filePath(U("gone"));
    EXPECT_FALSE(WriteHtmlReport(GoldenList(), {}, {}, {}, QString(), o.out));
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(boxes.boxes[3].text,
              U("Не удалось записать файл отчета «") + dir.path() + U("/gone/temp.hta».\nПапка не найдена."));

    // The per-user folder cannot be made: a file stands in its way.
    o.out.place.writable = [](const QString &) { return false; };
    WriteFile(dir.filePath(U("blocker")), "x");
    o.out.place.userFolder = dir.filePath(U("blocker/volumescope"));
    EXPECT_FALSE(WriteHtmlReport(GoldenList(), {}, {}, {}, QString(), o.out));
    ASSERT_EQ(boxes.boxes.size(), 5u);
    EXPECT_TRUE(boxes.boxes[4].text.startsWith(U("Не удалось создать папку для файлов отчета «") +
                                               dir.path() + U("/blocker/volumescope».\n")));

    EXPECT_TRUE(o.previews.isEmpty());
}

TEST(ReportFiles, ReplacingWriteLeavesNoTemporaryFiles)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(U("a.htm"));
    WriteFile(target, "old contents");
    ASSERT_TRUE(WriteFileReplacing(target, "new"));
    EXPECT_EQ(ReadAll(target), QByteArray("new"));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{U("a.htm")});

    // The file is replaced as a whole, so a reader holding the old one keeps it.
    QFile reader(target);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_TRUE(WriteFileReplacing(target, "newer"));
    EXPECT_EQ(reader.readAll(), QByteArray("new"));
    EXPECT_EQ(ReadAll(target), QByteArray("newer"));

    // A name at the file system's limit of 255 bytes.
    const QString longest = QString(251, u'n') + U(".htm");
    ASSERT_TRUE(WriteFileReplacing(dir.filePath(longest), "x"));
    ASSERT_TRUE(QFile::remove(dir.filePath(longest)));

    EXPECT_EQ(WriteFileReplacing(dir.filePath(U("no/such/x")), "x").error, ENOENT);
    EXPECT_EQ(FilesIn(dir.path()), QStringList{U("a.htm")});
}
