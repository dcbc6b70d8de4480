#include "fs/MountFence.h"

#include "fs/MountInfoParser.h"
#include "fs/Paths.h"
#include "fs/PseudoFileSystems.h"
#include "fs/TimeLimit.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vs
{
namespace
{

// True when path lies strictly below dir ("/" holds every other path).
bool IsBelow(const QByteArray &path, const QByteArray &dir)
{
    if (path.size() <= dir.size())
        return false;
    if (dir == "/")
        return path.startsWith('/');
    return path.startsWith(dir) && path[dir.size()] == '/';
}

bool IsAtOrBelow(const QByteArray &path, const QByteArray &dir)
{
    return path == dir || IsBelow(path, dir);
}

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QByteArray ReadAll(int fd)
{
    QByteArray text;
    char buf[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buf, qsizetype(n));
    }
    return text;
}

QByteArray DescriptorPath(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(link, path.data(), size_t(path.size()));
        if (n < 0)
            return {};
        if (n < path.size()) {
            path.truncate(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
};

} // namespace

QByteArray ReadOwnMountTable()
{
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text = ReadAll(fd);
    ::close(fd);
    return text;
}

std::vector<QByteArray> MountFence::MountPointsToFence(const QByteArray &rootPath, dev_t rootDev,
                                                       const QByteArray &mountInfoText)
{
    const QByteArray root = WithoutTrailingSlashes(rootPath);
    const std::vector<MountInfoRow> rows = ParseMountInfo(mountInfoText);

    // A mount is hidden when a later one sits on its point or on a folder
    // above it; "/" mounted again later is a new root, not a cover.
    std::vector<bool> hidden(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size() && !hidden[i]; ++j) {
            const QByteArray &later = rows[j].mountPoint;
            hidden[i] = later == rows[i].mountPoint || (later != "/" && IsBelow(rows[i].mountPoint, later));
        }
    }

    // The device the table gives the mount that holds root: some file
    // systems (btrfs subvolumes) stat with another number than the table's.
    dev_t holderDev = rootDev;
    qsizetype holderLength = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const MountInfoRow &r = rows[i];
        if (IsAtOrBelow(root, r.mountPoint) && r.mountPoint.size() > holderLength && !hidden[i]) {
            holderLength = r.mountPoint.size();
            holderDev = makedev(r.major, r.minor);
        }
    }

    std::vector<QByteArray> points;
    for (size_t i = 0; i < rows.size(); ++i) {
        const MountInfoRow &r = rows[i];
        if (!IsBelow(r.mountPoint, root) || hidden[i])
            continue;
        const dev_t dev = makedev(r.major, r.minor);
        if ((dev == rootDev || dev == holderDev) && !IsPseudoFileSystemType(r.fsType))
            continue;
        points.push_back(WithoutTrailingSlashes(r.mountPoint));
    }
    // One inside another fenced one is never reached.
    std::vector<QByteArray> outer;
    for (const QByteArray &p : points) {
        bool inside = false;
        for (const QByteArray &q : points)
            inside = inside || IsBelow(p, q);
        if (!inside)
            outer.push_back(p);
    }
    return outer;
}

MountFence MountFence::Below(const QByteArray &root, dev_t rootDev, const QByteArray &mountInfoText)
{
    // Mount point -> (folder holding it, its name there).
    std::map<QByteArray, std::vector<QByteArray>> namesByParent;
    for (const QByteArray &point : MountPointsToFence(root, rootDev, mountInfoText)) {
        const qsizetype slash = point.lastIndexOf('/');
        const QByteArray parent = slash == 0 ? QByteArray("/") : point.left(slash);
        namesByParent[parent].push_back(point.mid(slash + 1));
    }
    if (namesByParent.empty())
        return {};

    // Each folder is stat'ed on its own worker: one that hangs costs its own
    // mount points only, and the key keeps a stuck one from being asked again.
    std::vector<TimedJob<Identity>> jobs;
    std::vector<const std::vector<QByteArray> *> names;
    for (const auto &[parent, inside] : namesByParent) {
        jobs.push_back({"fence " + parent, [folder = parent]() {
                            struct stat st;
                            if (::stat(folder.constData(), &st) != 0)
                                throw std::runtime_error("no identity");
                            return Identity{st.st_dev, st.st_ino};
                        }});
        names.push_back(&inside);
    }
    const std::vector<std::optional<Identity>> ids = RunAllWithTimeLimit<Identity>(std::move(jobs));

    MountFence fence;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!ids[i])
            continue;
        for (const QByteArray &name : *names[i])
            fence.points_.push_back({ids[i]->dev, ids[i]->ino, name});
    }
    return fence;
}

MountFence MountFence::ForWalk(const QByteArray &root, dev_t rootDev)
{
    QByteArray path = root;
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return {};
        path = JoinPath(QByteArray(cwd), path);
    }
    path = TidyPath(path);
    // Symbolic links resolved as the mount table spells paths; a folder that
    // does not answer keeps the path as written.
    const std::optional<QByteArray> real = RunWithTimeLimit<QByteArray>({}, [path]() {
        char *resolved = ::realpath(path.constData(), nullptr);
        if (!resolved)
            throw std::runtime_error("unresolved");
        QByteArray out(resolved);
        std::free(resolved);
        return out;
    });
    return Below(real ? *real : path, rootDev, ReadOwnMountTable());
}

MountFence MountFence::ForFolder(int dirFd, dev_t rootDev)
{
    const QByteArray path = DescriptorPath(dirFd);
    if (!path.startsWith('/'))
        return {};
    return Below(path, rootDev, ReadOwnMountTable());
}

bool MountFence::fenced(dev_t folderDev, ino_t folderIno, const char *name) const
{
    for (const Point &p : points_)
        if (p.parentIno == folderIno && p.parentDev == folderDev && p.name == name)
            return true;
    return false;
}

} // namespace vs
