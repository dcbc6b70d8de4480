#include "dupes/engine/FileWalk.h"

#include "dupes/engine/OneFileSearch.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "fs/Paths.h"

#include <QList>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vs {

void FileCollection::reset()
{
    records.clear();
    records.shrink_to_fit();
    capacity_ = kGrowth;
    records.reserve(size_t(capacity_));
}

void FileCollection::append(FileRecord r)
{
    // The room is counted in steps of 10,000; the storage under it grows
    // geometrically so that appending stays cheap for any count.
    if (fileCount() >= capacity_)
        capacity_ += kGrowth;
    records.push_back(std::move(r));
}

void FileCollection::trim()
{
    records.shrink_to_fit();
    capacity_ = fileCount();
}

QByteArray StripNulls(QByteArray &text)
{
    const qsizetype k = text.indexOf('\0');
    if (k >= 0)
        text.truncate(k);
    return text;
}

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

bool IsFileFound(const QByteArray &path)
{
    const QByteArray p = path.trimmed();
    if (p.isEmpty())
        return false;
    const int fd = OpenAnyPath(p, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

namespace {

constexpr uint32_t kDirectoryBit = 16;
constexpr int kMaxSubfolders = 32767; // the subfolder list counts in 16 bits
constexpr size_t kAheadFrom = 32;     // fewer files are queried one by one

struct Entry {
    QByteArray name;
    unsigned char type;
};

// Reads a whole folder once, "." and ".." included, in the order the file
// system delivers it. False when it cannot be opened or read (an empty pass).
bool ReadFolder(int dirFd, std::vector<Entry> &out)
{
    const int fd = ::dup(dirFd);
    if (fd < 0)
        return false;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return false;
    }
    ::rewinddir(d);
    while (const dirent *e = ::readdir(d))
        out.push_back({QByteArray(e->d_name), e->d_type});
    ::closedir(d);
    return true;
}

bool IsDotName(const QByteArray &n)
{
    return n == "." || n == "..";
}

void RaiseOpenLimit()
{
    static const bool done = [] {
        rlimit r {};
        if (getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < r.rlim_max) {
            r.rlim_cur = r.rlim_max;
            setrlimit(RLIMIT_NOFILE, &r);
        }
        return true;
    }();
    (void)done;
}

// Helper threads that query the attributes of a folder's files ahead of the
// file pass, which then takes them in order: the queries are most of the
// walk's cost, and the results are used exactly as if made one by one.
class StatPool {
public:
    static StatPool &instance()
    {
        static StatPool *pool = new StatPool; // its threads live as long as the process
        return *pool;
    }

    // Runs fn(0..n-1) on the helpers and the calling thread; returns when all are done.
    void run(size_t n, const std::function<void(size_t)> &fn)
    {
        if (helpers_ == 0 || ::getpid() != owner_) { // a forked child has no helpers
            for (size_t i = 0; i < n; ++i)
                fn(i);
            return;
        }
        if (n == 0) {
            for (size_t i = 0; i < n; ++i)
                fn(i);
            return;
        }
        std::unique_lock<std::mutex> lock(m_);
        fn_ = &fn;
        count_ = n;
        next_ = 0;
        busy_ = helpers_;
        ++generation_;
        wake_.notify_all();
        lock.unlock();
        work();
        lock.lock();
        done_.wait(lock, [&] { return busy_ == 0; });
        fn_ = nullptr;
    }

private:
    StatPool()
    {
        const unsigned n = std::thread::hardware_concurrency();
        helpers_ = n > 1 ? std::min(n - 1, 3u) : 0;
        owner_ = ::getpid();
        for (unsigned i = 0; i < helpers_; ++i)
            std::thread([this] { loop(); }).detach();
    }

    void work()
    {
        for (size_t i; (i = next_.fetch_add(1)) < count_;)
            (*fn_)(i);
    }

    void loop()
    {
        uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(m_);
        for (;;) {
            wake_.wait(lock, [&] { return generation_ != seen; });
            seen = generation_;
            lock.unlock();
            work();
            lock.lock();
            if (--busy_ == 0)
                done_.notify_one();
        }
    }

    unsigned helpers_ = 0;
    pid_t owner_ = 0;
    std::mutex m_;
    std::condition_variable wake_, done_;
    const std::function<void(size_t)> *fn_ = nullptr;
    size_t count_ = 0;
    std::atomic<size_t> next_{0};
    unsigned busy_ = 0;
    uint64_t generation_ = 0;
};

struct Attributes {
    int error = -1; // -1 not queried yet, 0 queried, else errno
    struct stat st {};
};

class Walker {
public:
    Walker(DupeHost &host, FileCollection *files, const QByteArray &pattern, int32_t &entryCount,
           int32_t &folderCount)
        : host_(host), files_(files), pattern_(pattern), entryCount_(entryCount),
          folderCount_(folderCount)
    {
        matchAll_ = pattern == "*.*" || pattern == "*" || pattern.isEmpty();
    }

    // Walks the folder open as `dirFd` (closed here) whose path is `path`
    // (ending in "/").
    void walk(int dirFd, const QByteArray &path)
    {
        QByteArray lastFile;
        try {
            walkOne(dirFd, path, lastFile);
        } catch (const VsError &e) {
            report(e, lastFile);
        } catch (const std::bad_alloc &) {
            report(MakeError(kErrOutOfMemory), lastFile);
        }
        if (dirFd >= 0)
            ::close(dirFd);
    }

private:
    bool collecting() const { return files_ != nullptr; }

    bool matches(const QByteArray &name) const
    {
        return matchAll_ || ::fnmatch(pattern_.constData(), name.constData(), 0) == 0;
    }

    void report(const VsError &e, const QByteArray &lastFile)
    {
        const QString number = QString::number(e.number);
        host_.showError(e.number, number + e.description + QLatin1Char('\r') + DisplayPath(lastFile),
                        number);
    }

    static bool Ignored(int number)
    {
        return number == kErrInvalidCall || number == kErrBadFileName || number == kErrFileNotFound
               || number == kErrPathAccess;
    }

    void walkOne(int dirFd, const QByteArray &path, QByteArray &lastFile)
    {
        const int32_t folderSerial = folderSerial_++;
        std::vector<Entry> entries;
        const bool listed = dirFd >= 0 && ReadFolder(dirFd, entries);

        // Subfolder pass.
        std::vector<QByteArray> subfolders;
        if (listed) {
            for (const Entry &e : entries) {
                host_.yield();
                if (IsDotName(e.name))
                    continue;
                bool isDir;
                if (e.type != DT_UNKNOWN) {
                    isDir = e.type == DT_DIR;
                } else {
                    struct stat st {};
                    // A failed query has every attribute bit set, the directory bit too.
                    isDir = ::fstatat(dirFd, e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
                            || S_ISDIR(st.st_mode);
                }
                if (isDir) {
                    if (int(subfolders.size()) >= kMaxSubfolders)
                        throw MakeError(kErrOverflow);
                    subfolders.push_back(e.name);
                    ++folderCount_;
                }
            }
        }

        // File pass.
        std::vector<Attributes> ahead;
        if (listed) {
            size_t wanted = 0;
            for (const Entry &e : entries)
                wanted += (e.type == DT_REG || e.type == DT_UNKNOWN) && matches(e.name);
            if (wanted >= kAheadFrom) {
                ahead.resize(entries.size());
                StatPool::instance().run(entries.size(), [&](size_t i) {
                    const Entry &e = entries[i];
                    if ((e.type == DT_REG || e.type == DT_UNKNOWN) && !IsDotName(e.name) && matches(e.name))
                        ahead[i].error = ::fstatat(dirFd, e.name.constData(), &ahead[i].st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
                });
            }
        }
        if (listed) {
            for (size_t index = 0; index < entries.size(); ++index) {
                const Entry &e = entries[index];
                if (!matches(e.name))
                    continue;
                if (collecting() && !host_.scanRunning())
                    return;
                host_.yield();
                if (IsDotName(e.name))
                    continue;
                ++entryCount_;
                if (!collecting() && entryCount_ % 103 == 0)
                    host_.stepPicture(entryCount_ % 17 + 1);
                const QByteArray full = path + e.name;
                lastFile = full;
                if (e.type == DT_DIR)
                    continue;
                struct stat st {};
                bool statted = false;
                if (e.type == DT_UNKNOWN || e.type == DT_REG) {
                    int error = 0;
                    if (!ahead.empty() && ahead[index].error >= 0) {
                        error = ahead[index].error;
                        st = ahead[index].st;
                    } else if (::fstatat(dirFd, e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                        error = errno;
                    }
                    if (error != 0) {
                        const VsError err = ErrorFromErrno(error, true);
                        if (Ignored(err.number))
                            continue; // a file that vanished or cannot be named adds nothing
                        throw err;
                    }
                    statted = true;
                    if (S_ISDIR(st.st_mode))
                        continue;
                }
                if (!collecting() && !host_.scanRunning())
                    return;
                if (!statted || !S_ISREG(st.st_mode))
                    continue; // links, FIFOs, sockets, devices: never read
                const ByteCount size = ByteCount::fromBytes(uint64_t(st.st_size));
                if (collecting())
                    collect(full, size, st, folderSerial);
                else
                    match(full, size, st);
            }
        }

        // Recursion, in the order the folder delivered the names.
        for (const QByteArray &name : subfolders) {
            const int sub = ::openat(dirFd, name.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            walk(sub, path + name + '/');
        }
    }

    void collect(const QByteArray &full, ByteCount size, const struct stat &st, int32_t folder)
    {
        const bool take = host_.useMaxSize() == 0
                              ? size > host_.minSizeBytes()
                              : host_.minSizeBytes() <= size && size <= host_.maxSizeBytes();
        if (!take)
            return;
        FileRecord r;
        r.path = full;
        r.size = size;
        r.dev = uint64_t(st.st_dev);
        r.ino = uint64_t(st.st_ino);
        r.folder = folder;
        files_->append(std::move(r));
    }

    void match(const QByteArray &full, ByteCount size, const struct stat &st)
    {
        if (auto row = MatchStep(host_.chosenFile(), full, size, uint64_t(st.st_dev), uint64_t(st.st_ino)))
            host_.addRow(*row);
    }

    DupeHost &host_;
    FileCollection *files_;
    QByteArray pattern_;
    bool matchAll_ = true;
    int32_t &entryCount_;
    int32_t &folderCount_;
    int32_t folderSerial_ = 0;
};

void WalkFrom(DupeHost &host, FileCollection *files, QByteArray &path, const QByteArray &pattern,
              int32_t &entryCount, int32_t &folderCount)
{
    RaiseOpenLimit();
    if (!path.endsWith('/'))
        path += '/';
    const int fd = OpenAnyPath(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    Walker(host, files, pattern, entryCount, folderCount).walk(fd, path);
}

} // namespace

void FindFilesAPI_all(DupeHost &host, FileCollection &files, QByteArray &path,
                      const QByteArray &pattern, int32_t &entryCount, int32_t &folderCount)
{
    WalkFrom(host, &files, path, pattern, entryCount, folderCount);
}

void FindFilesAPI(DupeHost &host, QByteArray &path, const QByteArray &pattern, int32_t &entryCount,
                  int32_t &folderCount)
{
    WalkFrom(host, nullptr, path, pattern, entryCount, folderCount);
}

} // namespace vs
