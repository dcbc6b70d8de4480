#include "dupes/engine/FolderTrail.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vs
{

namespace
{

// A reopened level only serves as the base of further openat and fstatat
// calls, which a path descriptor allows without read permission.
constexpr int kReopenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

bool SameFolder(int fd, dev_t dev, ino_t ino)
{
    struct stat st {
    };
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == dev && st.st_ino == ino;
}

} // namespace

FolderTrail::FolderTrail(size_t budget) : budget_(std::max<size_t>(budget, 2)) {}

FolderTrail::~FolderTrail()
{
    clear();
}

void FolderTrail::clear()
{
    for (Level &l : levels_)
        closeLevel(l);
    levels_.clear();
    firstMaybeOpen_ = 1;
    reopenError_ = 0;
}

bool FolderTrail::start(int fd, const QByteArray &name)
{
    clear();
    return add(fd, name);
}

bool FolderTrail::push(int fd, const QByteArray &name)
{
    return add(fd, name);
}

bool FolderTrail::enter(const char *name, int flags)
{
    const int parent = fd();
    if (parent < 0) {
        errno = levels_.empty() || reopenError_ == 0 ? EBADF : reopenError_;
        return false;
    }
    const int sub = ::openat(parent, name, flags | O_DIRECTORY | O_CLOEXEC);
    if (sub < 0)
        return false;
    return add(sub, QByteArray(name));
}

bool FolderTrail::add(int fd, const QByteArray &name)
{
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
        const int err = errno == 0 ? ENOTDIR : errno;
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? err : ENOTDIR;
        return false;
    }
    levels_.push_back(Level{fd, st.st_dev, st.st_ino, name});
    ++open_;
    keepWithinBudget();
    return true;
}

void FolderTrail::closeLevel(Level &l)
{
    if (l.fd >= 0) {
        ::close(l.fd);
        l.fd = -1;
        --open_;
    }
}

void FolderTrail::keepWithinBudget()
{
    // The first level and the deepest stay open; the shallowest of the rest
    // go first, since they are the last ones needed again.
    while (open_ > budget_ && firstMaybeOpen_ + 1 < levels_.size()) {
        closeLevel(levels_[firstMaybeOpen_]);
        ++firstMaybeOpen_;
    }
}

bool FolderTrail::leave()
{
    if (levels_.empty())
        return false;
    if (levels_.size() == 1) {
        clear();
        return true;
    }
    const size_t parent = levels_.size() - 2;
    bool ok = levels_[parent].fd >= 0;
    if (!ok) {
        ok = (levels_.back().fd >= 0 && reopenFromChild(parent, levels_.back().fd)) || reopenByNames(parent);
    }
    closeLevel(levels_.back());
    levels_.pop_back();
    firstMaybeOpen_ = std::max<size_t>(1, std::min(firstMaybeOpen_, levels_.size()));
    keepWithinBudget();
    return ok;
}

bool FolderTrail::reopenFromChild(size_t index, int childFd)
{
    Level &l = levels_[index];
    const int fd = ::openat(childFd, "..", kReopenFlags);
    if (fd < 0) {
        reopenError_ = errno;
        return false;
    }
    if (!SameFolder(fd, l.dev, l.ino)) {
        ::close(fd);
        return false;
    }
    l.fd = fd;
    ++open_;
    firstMaybeOpen_ = std::max<size_t>(1, std::min(firstMaybeOpen_, index));
    reopenError_ = 0;
    return true;
}

bool FolderTrail::reopenByNames(size_t index)
{
    size_t from = index;
    while (from > 0 && levels_[from].fd < 0)
        --from;
    if (levels_[from].fd < 0) {
        if (reopenError_ == 0)
            reopenError_ = ENOENT;
        errno = reopenError_;
        return false;
    }
    firstMaybeOpen_ = std::max<size_t>(1, std::min(firstMaybeOpen_, from + 1));
    for (size_t j = from + 1; j <= index; ++j) {
        Level &l = levels_[j];
        if (l.fd >= 0)
            continue;
        const int fd = ::openat(levels_[j - 1].fd, l.name.constData(), kReopenFlags);
        if (fd < 0 || !SameFolder(fd, l.dev, l.ino)) {
            // Gone, moved or replaced: what was below it cannot be reached.
            reopenError_ = fd < 0 && (errno == EMFILE || errno == ENFILE) ? errno : ENOENT;
            if (fd >= 0)
                ::close(fd);
            errno = reopenError_;
            return false;
        }
        l.fd = fd;
        ++open_;
        // The levels on the way are not needed once passed when there is no room.
        if (j - 1 > from && open_ > budget_)
            closeLevel(levels_[j - 1]);
    }
    reopenError_ = 0;
    return true;
}

} // namespace vs
