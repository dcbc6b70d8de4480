#include "fs/FileOpen.h"

#include <QList>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vs
{
namespace
{

template <typename Open> int WithoutAtimeIfRefused(int flags, Open &&open)
{
    const int fd = open(flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        return open(flags);
    return fd;
}

} // namespace

int OpenAnyPath(const QByteArray &path, int flags)
{
    if (path.size() < PATH_MAX)
        return ::open(path.constData(), flags);
    // Too long for one call: open the folders on the way one at a time.
    int dir = path.startsWith('/') ? ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)
                                   : ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return -1;
    const QList<QByteArray> parts = path.split('/');
    qsizetype last = parts.size() - 1;
    while (last > 0 && parts[last].isEmpty())
        --last; // "a/b/" names b
    for (qsizetype i = 0; i < last; ++i) {
        if (parts[i].isEmpty())
            continue;
        const int next = ::openat(dir, parts[i].constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int err = errno;
        ::close(dir);
        if (next < 0) {
            errno = err;
            return -1;
        }
        dir = next;
    }
    const int fd = ::openat(dir, parts[last].isEmpty() ? "." : parts[last].constData(), flags);
    const int err = errno;
    ::close(dir);
    errno = err;
    return fd;
}

int OpenNoAtime(const QByteArray &path, int flags)
{
    return WithoutAtimeIfRefused(flags, [&](int f) { return OpenAnyPath(path, f); });
}

int OpenNoAtimeAt(int dirFd, const char *name, int flags)
{
    return WithoutAtimeIfRefused(flags, [&](int f) { return ::openat(dirFd, name, f); });
}

void RaiseOpenLimit()
{
    static const bool done = [] {
        rlimit r{};
        if (::getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < r.rlim_max) {
            r.rlim_cur = r.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &r);
        }
        return true;
    }();
    (void)done;
}

} // namespace vs
