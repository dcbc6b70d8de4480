#include "ReportFiles.h"

#include "util/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace vs
{

ReportPlace DefaultReportPlace()
{
    ReportPlace place;
    place.programFolder = QCoreApplication::applicationDirPath();
    place.userFolder = UserReportFolder();
    place.writable = [](const QString &folder) { return IsFolderWritable(QFile::encodeName(folder)); };
    return place;
}

QString UserReportFolder()
{
    // Relative values of XDG_DATA_HOME are to be ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/volumescope"));
}

bool IsSystemFolder(const QString &folder)
{
    if (!QDir::isAbsolutePath(folder))
        return false;
    const QString clean = QDir::cleanPath(folder);
    if (clean == QStringLiteral("/"))
        return true;
    static const char *const kSystemFolders[] = {"/usr",   "/opt",    "/bin", "/sbin", "/lib", "/lib32",
                                                 "/lib64", "/libx32", "/etc", "/boot", "/snap"};
    for (const char *top : kSystemFolders) {
        const QString t = QLatin1String(top);
        if (clean == t || clean.startsWith(t + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool IsFolderWritable(const QByteArray &folder)
{
    return !folder.isEmpty() && ::access(folder.constData(), W_OK | X_OK) == 0;
}

FileResult ChooseReportFolder(const ReportPlace &place, QString &folder)
{
    if (!IsSystemFolder(place.programFolder) && place.writable && place.writable(place.programFolder)) {
        folder = place.programFolder;
        return {};
    }
    folder = place.userFolder;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), ec);
    if (ec)
        return {ec.value() ? ec.value() : EIO};
    return {};
}

FileResult WriteFileReplacing(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // A short name of its own, so that a target name near the length
        // limit still gets a temporary file.
        const qsizetype slash = target.lastIndexOf('/');
        temp = target.left(slash + 1) + ".volumescope-" +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return {errno};
    }
    if (fd < 0)
        return {EEXIST};

    int error = 0;
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        data += n;
        left -= n;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.constData());
    return {error};
}

QString FileErrorReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись в эту папку.");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения.");
    case ENOSPC:
        return QStringLiteral("На диске нет свободного места.");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота.");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла.");
    case EISDIR:
        return QStringLiteral("С этим именем уже есть папка.");
    case ENOENT:
        return QStringLiteral("Папка не найдена.");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("Часть пути занята файлом, а не папкой.");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода на устройстве.");
    case EINVAL:
        return QStringLiteral("Недопустимое имя файла.");
    default:
        break;
    }
    const VsError e = ErrorFromErrno(error, true);
    return e.description + QLatin1Char('.');
}

} // namespace vs
