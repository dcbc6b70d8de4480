#include "dupes/engine/OneFileSearch.h"

#include "dupes/engine/ContentReader.h"
#include "dupes/engine/FileChecksum.h"
#include "fs/FileOpen.h"
#include "fs/Paths.h"
#include "util/Errors.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vs
{

namespace
{

// stat() of a path of any length, links followed; throws VsError.
struct stat StatChosen(const QByteArray &path)
{
    const int fd = OpenAnyPath(path, O_PATH | O_CLOEXEC);
    struct stat st {
    };
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        throw ErrorFromErrno(err, true);
    }
    ::close(fd);
    if (!S_ISREG(st.st_mode))
        throw MakeError(kErrFileNotFound);
    return st;
}

QByteArray CurrentFolder()
{
    QByteArray buf(PATH_MAX, '\0');
    while (!::getcwd(buf.data(), size_t(buf.size()))) {
        if (errno != ERANGE)
            return QByteArrayLiteral("/");
        buf.resize(buf.size() * 2);
    }
    return QByteArray(buf.constData());
}

} // namespace

FileContent ChosenFileContent(const QByteArray &path)
{
    return ReadFileContent(path);
}

QByteArray ChosenFullPath(const QByteArray &path)
{
    StatChosen(path);
    const QByteArray absolute = path.startsWith('/') ? path : CurrentFolder() + '/' + path;
    return TidyPath(absolute);
}

ChosenFile TakeChosenFile(const QByteArray &path)
{
    ChosenFile c;
    c.content = ChosenFileContent(path);
    c.checksum = c.content.checksum;
    const struct stat st = StatChosen(path);
    c.size = ByteCount::fromBytes(uint64_t(st.st_size));
    c.dev = uint64_t(st.st_dev);
    c.ino = uint64_t(st.st_ino);
    c.path = ChosenFullPath(path);
    return c;
}

bool SamePathIgnoringCase(const QByteArray &a, const QByteArray &b)
{
    if (a == b)
        return true;
    return QFile::decodeName(a).toUpper() == QFile::decodeName(b).toUpper();
}

std::optional<DupeRow> MatchStep(const ChosenFile &chosen, const QByteArray &path, ByteCount size,
                                 uint64_t dev, uint64_t ino, int dirFd, const char *name)
{
    if (size != chosen.size)
        return std::nullopt;
    DupeRow row;
    row.path = path;
    row.size = size;
    row.checksum = chosen.checksum;
    // On a case-sensitive file system two names differing in case are two
    // files: the same path is the same file only when it is the same inode.
    const bool sameInode = chosen.ino == 0 || (chosen.dev == dev && chosen.ino == ino);
    if (SamePathIgnoringCase(path, chosen.path) && sameInode) {
        row.colour = kDupeYellow;
        row.toolTip = SameFileMarker();
        return row;
    }
    int openError = 0;
    const FileContent c = dirFd >= 0 ? ReadFileContentAt(dirFd, name, size.bytes(), dev, ino, &openError)
                                     : ReadFileContent(path, true, size.bytes(), dev, ino, &openError);
    if (openError == EMFILE || openError == ENFILE)
        throw ErrorFromErrno(openError, true);
    if (c.checksum != chosen.checksum || !c.sameAs(chosen.content))
        return std::nullopt;
    row.colour = kDupeCyan;
    return row;
}

} // namespace vs
