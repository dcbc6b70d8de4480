// The program's start: Qt's Russian texts, the command line read before any
// window (--help and --version in a child process without a display), and
// the folder given on it.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The real program, with no display and no platform chosen: what a user
// gets in a text console.
ProgramRun RunProgram(const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLUMESCOPE_PROGRAM), arguments);
    ProgramRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

CommandLine Parse(const QList<QByteArray> &raw, const QByteArray &cwd = "/home/u")
{
    QStringList words;
    for (const QByteArray &w : raw)
        words << QString::fromLocal8Bit(w);
    return ParseCommandLine(words, raw, cwd);
}

} // namespace

TEST(QtTranslation, StandardButtonsSpeakRussianOnceLoaded)
{
    if (!LoadQtTranslation(*QCoreApplication::instance()))
        GTEST_SKIP() << "qtbase_ru.qm is not installed (Debian package qt6-translations-l10n)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Close"), QStringLiteral("Закрыть"));
    // What a dialog shows is built from the same texts.
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
}

TEST(CommandLineParse, AFolderIsTakenAsBytesMadeAbsoluteAndTidy)
{
    CommandLine c = Parse({"volumescope"});
    EXPECT_FALSE(c.exitNow);
    EXPECT_TRUE(c.folder.isEmpty());

    c = Parse({"volumescope", "/srv/data/"});
    EXPECT_FALSE(c.exitNow);
    EXPECT_EQ(c.folder, QByteArray("/srv/data"));

    c = Parse({"volumescope", "music/../photos/./2024"});
    EXPECT_EQ(c.folder, QByteArray("/home/u/photos/2024"));

    // A name that is not UTF-8 reaches the window byte for byte.
    c = Parse({"volumescope", "/tmp/caf\xe9"});
    EXPECT_EQ(c.folder, QByteArray("/tmp/caf\xe9"));

    // A folder named like an option follows "--".
    c = Parse({"volumescope", "--", "-v"});
    EXPECT_FALSE(c.exitNow);
    EXPECT_EQ(c.folder, QByteArray("/home/u/-v"));
}

TEST(CommandLineParse, HelpVersionAndMistakesEndTheRun)
{
    CommandLine c = Parse({"volumescope", "--version"});
    EXPECT_TRUE(c.exitNow);
    EXPECT_EQ(c.exitCode, 0);
    EXPECT_FALSE(c.outputIsError);
    EXPECT_EQ(c.output,
              QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');

    for (const char *help : {"--help", "-h", "--help-all"}) {
        c = Parse({"volumescope", help});
        EXPECT_TRUE(c.exitNow) << help;
        EXPECT_EQ(c.exitCode, 0) << help;
        EXPECT_TRUE(c.output.contains(QStringLiteral("[ПАПКА]"))) << help;
    }

    c = Parse({"volumescope", "--colour"});
    EXPECT_TRUE(c.exitNow);
    EXPECT_EQ(c.exitCode, 2);
    EXPECT_TRUE(c.outputIsError);

    c = Parse({"volumescope", "/a", "/b"});
    EXPECT_TRUE(c.exitNow);
    EXPECT_EQ(c.exitCode, 2);
    EXPECT_EQ(c.output, QStringLiteral("volumescope: можно указать только одну папку\n"));
}

TEST(CommandLineProgram, HelpAndVersionAnswerWithoutADisplay)
{
    const ProgramRun version = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, QStringLiteral("Volumescope " VOLUMESCOPE_VERSION "\n"));

    for (const QString &option : {QStringLiteral("-v"), QStringLiteral("--version")}) {
        const ProgramRun r = RunProgram({option});
        EXPECT_EQ(r.exitCode, 0) << option.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral(VOLUMESCOPE_VERSION)));
    }

    const ProgramRun help = RunProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("[ПАПКА]"))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const ProgramRun wrong = RunProgram({QStringLiteral("--colour")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.out.isEmpty());
    EXPECT_FALSE(wrong.err.isEmpty());

    // Anything that needs a window still says plainly that there is no display.
    const ProgramRun window = RunProgram({QStringLiteral("/")});
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_TRUE(window.err.startsWith(QStringLiteral("volumescope: нет графического дисплея")))
        << window.err.toStdString();
}

struct StartFolder : ::testing::Test {
    StartFolder()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        fs.add("/data/a/x", 10);
        fs.add("/media");
        fs.add("/media/usb");
        fs.add("/media/usb/photos", 20);
        fs.add("/media/usb/locked").openError = kErrPermission;
        mounts.add("/");
        mounts.add("/media/usb", QStringLiteral("STICK"));
    }
    WindowServices services() { return {fs, mounts, shell, boxes, yield}; }

    FakeFileSystem fs;
    FakeMountTable mounts;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    ScriptedYield yield;
};

TEST_F(StartFolder, TheFolderGivenSelectsItsDriveAndIsHighlighted)
{
    const QByteArray start = ChooseStartFolder("/media/usb/photos", fs, boxes);
    EXPECT_EQ(start, QByteArray("/media/usb/photos"));
    EXPECT_TRUE(boxes.boxes.empty());
    Form1 form(services(), start);
    EXPECT_EQ(form.driveList()->currentMountPoint(), QByteArray("/media/usb"));
    EXPECT_EQ(form.folderList()->openFolder(), QByteArray("/media/usb/photos"));
    EXPECT_EQ(form.folderList()->highlightedFolder(), QByteArray("/media/usb/photos"));
}

TEST_F(StartFolder, AMissingFolderIsReportedAndTheUsualStartFollows)
{
    const QByteArray start = ChooseStartFolder("/data/gone", fs, boxes);
    EXPECT_TRUE(start.isEmpty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Папка \"/data/gone\" не найдена. Программа откроется в текущей папке."));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Внимание"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Exclamation);

    // No folder given: nothing to report, the working folder as always.
    EXPECT_TRUE(ChooseStartFolder({}, fs, boxes).isEmpty());
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(StartFolder, AFolderThatCannotBeReadIsStillTriedWithoutAMessage)
{
    EXPECT_EQ(ChooseStartFolder("/media/usb/locked", fs, boxes), QByteArray("/media/usb/locked"));
    EXPECT_TRUE(boxes.boxes.empty());
    // The window falls back to the drive's root, as for any start.
    Form1 form(services(), "/media/usb/locked");
    EXPECT_EQ(form.driveList()->currentMountPoint(), QByteArray("/media/usb"));
    EXPECT_EQ(form.folderList()->openFolder(), QByteArray("/media/usb"));
}
