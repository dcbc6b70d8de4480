#include "support/HostileTree.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace vs::test
{
namespace
{

[[noreturn]] void Fail(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

int OpenFolder(int at, const char *name)
{
    const int fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail("open folder");
    return fd;
}

void WriteFile(int at, const char *name, int64_t size)
{
    const int fd = ::openat(at, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("create file");
    if (size > 0 && ::ftruncate(fd, size) != 0) {
        ::close(fd);
        Fail("size file");
    }
    ::close(fd);
}

int MakeFolder(int at, const char *name)
{
    if (::mkdirat(at, name, 0755) != 0 && errno != EEXIST)
        Fail("make folder");
    return OpenFolder(at, name);
}

} // namespace

int64_t MakeDeepChain(const TempTree &tree, const QByteArray &rel, const ChainShape &shape)
{
    tree.mkdir(rel);
    int fd = OpenFolder(AT_FDCWD, tree.path(rel).constData());
    int64_t total = 0;
    for (int level = 0; level < shape.levels; ++level) {
        const int next = MakeFolder(fd, shape.name.constData());
        ::close(fd);
        fd = next;
        if (shape.fileSize > 0) {
            WriteFile(fd, "f", shape.fileSize);
            total += shape.fileSize;
        }
        for (int s = 0; s < shape.sideFolders; ++s) {
            const QByteArray side = "s" + QByteArray::number(s);
            const int sideFd = MakeFolder(fd, side.constData());
            if (shape.fileSize > 0) {
                WriteFile(sideFd, "f", shape.fileSize);
                total += shape.fileSize;
            }
            ::close(sideFd);
        }
    }
    ::close(fd);
    return total;
}

int64_t MakeWideFolder(const TempTree &tree, const QByteArray &rel, int files, int64_t fileSize)
{
    tree.mkdir(rel);
    const int fd = OpenFolder(AT_FDCWD, tree.path(rel).constData());
    for (int i = 0; i < files; ++i)
        WriteFile(fd, QByteArray::number(i).constData(), fileSize);
    ::close(fd);
    return int64_t(files) * fileSize;
}

int MakeSpecialFiles(const TempTree &tree, const QByteArray &rel)
{
    tree.mkdir(rel);
    const QByteArray dir = tree.path(rel);
    int made = 0;
    if (::mkfifo((dir + "/fifo").constData(), 0644) != 0)
        Fail("fifo");
    ++made;

    const QByteArray sockPath = dir + "/sock";
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (size_t(sockPath.size()) < sizeof addr.sun_path) {
        std::memcpy(addr.sun_path, sockPath.constData(), size_t(sockPath.size()));
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0 || ::bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
            Fail("socket");
        ::close(s); // the socket file stays
        ++made;
    }
    tree.symlink(".", rel + "/loop");
    tree.symlink("no-such-target", rel + "/dangling");
    tree.symlink("/", rel + "/root");
    made += 3;
    if (::geteuid() == 0 && ::mknod((dir + "/null").constData(), S_IFCHR | 0666, ::makedev(1, 3)) == 0)
        ++made;
    return made;
}

int MakeOddNames(const TempTree &tree, const QByteArray &rel)
{
    static const char *const names[] = {
        "\xff\xfe latin-1 \xe9",    // not UTF-8
        "\xd0\xbf\xd1\x80\xd0\xb8", // Cyrillic
        "new\nline",
        "tab\there",
        "-dash",
        " leading and trailing ",
        "percent %41 and #hash?",
        "back\\slash",
    };
    tree.mkdir(rel);
    const int fd = OpenFolder(AT_FDCWD, tree.path(rel).constData());
    for (const char *n : names)
        WriteFile(fd, n, 1);
    ::close(fd);
    return int(std::size(names));
}

int64_t MakeSparseFile(const TempTree &tree, const QByteArray &rel, int64_t apparent, int64_t data)
{
    const int k = rel.lastIndexOf('/');
    if (k > 0)
        tree.mkdir(rel.left(k));
    const int fd = ::open(tree.path(rel).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("sparse file");
    const QByteArray bytes(qsizetype(data), 'z');
    if (data > 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) != ssize_t(data)) {
        ::close(fd);
        Fail("sparse data");
    }
    if (::ftruncate(fd, apparent) != 0) {
        ::close(fd);
        Fail("sparse size");
    }
    ::close(fd);
    return apparent;
}

} // namespace vs::test
