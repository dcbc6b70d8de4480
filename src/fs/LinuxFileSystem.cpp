#include "fs/LinuxFileSystem.h"

#include "fs/DirectoryReader.h"
#include "fs/FolderSizer.h"
#include "fs/MountFence.h"
#include "fs/Paths.h"
#include "fs/TimeLimit.h"
#include "util/Errors.h"
#include "util/Services.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace vs
{
namespace
{

class LinuxFolderListing final : public FolderListing
{
  public:
    explicit LinuxFolderListing(int fd) : fd_(fd) { reader_.start(fd_); }
    ~LinuxFolderListing() override { ::close(fd_); }

    bool next(QByteArray &name) override
    {
        DirEntry d;
        while (reader_.next(d)) {
            bool folder = d.type == DT_DIR;
            if (d.type == DT_UNKNOWN) {
                // A mount point of another file system is listed unlooked
                // at: a stat of one that hangs would hold the window.
                struct stat st;
                folder = fenced(d.name) ||
                         (::fstatat(fd_, d.name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode));
            }
            if (folder) {
                name = QByteArray(d.name);
                return true;
            }
        }
        if (reader_.error() != 0)
            throw ErrorFromErrno(reader_.error());
        return false;
    }

  private:
    bool fenced(const char *name)
    {
        if (!fence_) {
            fence_.emplace();
            if (::fstat(fd_, &self_) == 0)
                fence_ = MountFence::ForFolder(fd_, self_.st_dev);
        }
        return !fence_->empty() && fence_->fenced(self_.st_dev, self_.st_ino, name);
    }

    int fd_;
    DirectoryReader reader_{DirectoryReader::Dots::Skip, 32 * 1024};
    std::optional<MountFence> fence_; // read when the first entry has no type
    struct stat self_ {
    };
};

// Opens a folder with the drive time limit: on a mount that does not answer
// (a stopped FUSE daemon, a dropped share) the open blocks, and the folder is
// then unavailable (68). A late answer closes what it opened.
int OpenFolderInTime(const QByteArray &folder, bool *pseudo = nullptr)
{
    struct Opening {
        std::mutex mutex;
        bool abandoned = false;
        bool ended = false;
        int fd = -1;
        int err = 0;
        bool pseudo = false;
    };
    auto state = std::make_shared<Opening>();
    RunWithTimeLimit<bool>("folder " + folder, [state, folder]() {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int err = errno;
        struct statfs fs;
        const bool pseudo = fd >= 0 && ::fstatfs(fd, &fs) == 0 && IsPseudoFileSystem(long(fs.f_type));
        std::lock_guard lock(state->mutex);
        if (state->abandoned) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        state->ended = true;
        state->fd = fd;
        state->err = err;
        state->pseudo = pseudo;
        return true;
    });
    std::lock_guard lock(state->mutex);
    if (!state->ended) {
        state->abandoned = true;
        throw MakeError(kErrDeviceUnavailable);
    }
    if (state->fd < 0)
        throw ErrorFromErrno(state->err);
    if (pseudo)
        *pseudo = state->pseudo;
    return state->fd;
}

struct stat StatFile(const QByteArray &file)
{
    struct stat st;
    if (::stat(file.constData(), &st) != 0)
        throw ErrorFromErrno(errno, true);
    if (S_ISDIR(st.st_mode))
        throw MakeError(kErrFileNotFound);
    return st;
}

} // namespace

LinuxFileSystem::LinuxFileSystem(unsigned threads) : threads_(threads) {}

std::unique_ptr<FolderListing> LinuxFileSystem::subFolders(const QByteArray &folder)
{
    const int fd = OpenFolderInTime(folder);
    try {
        return std::make_unique<LinuxFolderListing>(fd);
    } catch (...) {
        ::close(fd);
        throw MakeError(kErrOutOfMemory);
    }
}

ByteCount LinuxFileSystem::folderSize(const QByteArray &folder)
{
    return measureFolder(folder, SizeMeasure::Apparent);
}

ByteCount LinuxFileSystem::folderDiskUsage(const QByteArray &folder)
{
    return measureFolder(folder, SizeMeasure::OnDisk);
}

ByteCount LinuxFileSystem::measureFolder(const QByteArray &folder, SizeMeasure measure)
{
    bool pseudo = false;
    const int fd = OpenFolderInTime(folder, &pseudo);
    if (pseudo) {
        ::close(fd);
        return ByteCount();
    }
    // The mount points below that hold another file system are never
    // looked at: one that does not answer would hold the walk for good.
    MountFence fence;
    struct stat st;
    try {
        if (::fstat(fd, &st) == 0)
            fence = MountFence::ForFolder(fd, st.st_dev);
    } catch (...) {
        ::close(fd);
        throw MakeError(kErrOutOfMemory);
    }
    FolderSizer sizer(threads_);
    sizer.setMeasure(measure);
    std::function<void()> whileWaiting;
    std::atomic<bool> abandon{false};
    if (OnInterfaceThread()) {
        // Repaints only, unless the caller lets the user in as at its yields
        // (WaitAsAtYield); its stop abandons the walk at once.
        abandon = InterfaceWaitAbandoned();
        whileWaiting = [&abandon] {
            if (WhileInterfaceWaits())
                abandon = true;
        };
        sizer.setAbandonFlag(&abandon);
    }
    return ByteCount::fromBytes(sizer.measure(fd, fence, whileWaiting));
}

ByteCount LinuxFileSystem::fileSize(const QByteArray &file)
{
    return ByteCount::fromBytes(uint64_t(StatFile(file).st_size));
}

QByteArray LinuxFileSystem::filePath(const QByteArray &file)
{
    StatFile(file);
    QByteArray path = file;
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            throw ErrorFromErrno(errno);
        path = JoinPath(QByteArray(cwd), path);
    }
    // Tidied, but with symbolic links kept as written: the path is
    // compared with paths built by walks.
    return TidyPath(path);
}

FileSystem &DefaultFileSystem()
{
    static LinuxFileSystem fs;
    return fs;
}

} // namespace vs
