#include "fs/FolderSizer.h"
#include "fs/WaitSlice.h"

#include "fs/DirectoryReader.h"
#include "util/Errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace vs
{
namespace
{

constexpr size_t kBufferSize = 64 * 1024;
// Folders the calling thread reads alone before it starts the pool: most
// folders in a listing are small, and starting threads for them costs more
// than walking them.
constexpr int kSoloFolders = 48;
constexpr unsigned kMaxThreads = 32;
// Threads while the disk keeps the walk waiting: a folder read from the disk
// costs a few milliseconds of waiting and microseconds of work, so requests
// in flight, not cores, set the pace then.
constexpr unsigned kDiskThreads = 16;
// Times the calling thread slept during its solo folders that show the disk
// at work: from the page cache it sleeps there hardly ever (0-2 times on a
// busy machine), from the disk about once per folder.
constexpr long kDiskWaits = 12;
constexpr auto kWaitSlice = std::chrono::milliseconds(12);

// Waiting folders that keep their descriptor: a quarter of the process's
// limit, leaving the rest to the program and the workers' open folders.
size_t DescriptorBudget()
{
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur == RLIM_INFINITY)
        return 256;
    return std::clamp<size_t>(size_t(r.rlim_cur / 4), 4, 256);
}

// A folder that has been read and whose subfolders are not all opened yet.
// It keeps its parent and its name there, so it can be opened again when its
// descriptor had to be given up, and its identity, to see that what was
// reopened is still the same folder. Every field is guarded by the walk's
// mutex except names (fixed once published) and fd while users > 0.
struct Pending {
    Pending *parent = nullptr;          // null for the measured folder
    const char *nameInParent = nullptr; // points into parent->names
    dev_t dev = 0;
    ino_t ino = 0;
    size_t depth = 0;
    int fd = -1;
    std::vector<char> names; // NUL-terminated, back to back
    size_t cursor = 0;
    uint32_t unopened = 0; // names whose open has not ended yet
    uint32_t children = 0; // live Pending below it, which may need it to reopen
    int users = 0;         // workers opening a name in it, or reopening through it
};

struct Worker {
    DirectoryReader reader{DirectoryReader::Dots::Skip, kBufferSize};
    uint64_t total = 0;
};

// What a worker brings back from one folder: its subfolders' names to visit.
struct Visited {
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    std::vector<char> names;
    uint32_t folders = 0;
};

class Walk
{
  public:
    Walk(dev_t dev, ino_t ino, const MountFence &fence, size_t budget, bool blocks,
         const std::atomic<bool> *abandon)
        : dev_(dev), ino_(ino), fence_(fence), budget_(budget), blocks_(blocks), abandon_(abandon)
    {
    }
    ~Walk()
    {
        for (const auto &open : open_)
            ::close(open.second->fd);
        freeAbandoned();
        if (root_) {
            ::close(root_->fd);
            delete root_;
        }
        for (Pending *p : spare_)
            delete p;
    }

    uint64_t run(int rootFd, unsigned threads, unsigned diskThreads,
                 const std::function<void()> &whileWaiting);

  private:
    void work(Worker &w, int folderBudget);
    bool visit(Worker &w, Pending *parent, const char *name, Visited &out);
    bool read(Worker &w, int fd, dev_t dev, ino_t ino, Visited &out);
    void count(Worker &w, const struct stat &st);
    bool abandoned() const { return abandon_ && abandon_->load(std::memory_order_relaxed); }
    bool finished() const { return busy_ == 0 && (stack_.empty() || abandoned()); }
    void freeAbandoned();
    void openFailed(int err);

    // With the mutex held.
    Pending *adopt(Pending *parent, const char *name, Visited &v);
    bool ensureOpen(Pending *p);
    void keepOpen(Pending *p);
    void closeFd(Pending *p);
    void settle(Pending *p);
    void evictOverBudget();

    const dev_t dev_;
    const ino_t ino_;
    const MountFence &fence_;
    const size_t budget_;
    const bool blocks_; // the space on disk, not the files' lengths
    const std::atomic<bool> *const abandon_;
    std::mutex mutex_;
    std::condition_variable wake_; // workers: more folders, or the end
    std::condition_variable done_; // the waiting caller: the end
    std::vector<Pending *> stack_; // depth first keeps few folders waiting
    int busy_ = 0;
    Pending *root_ = nullptr;                     // its descriptor stays open to the end
    std::set<std::pair<size_t, Pending *>> open_; // waiting folders holding a descriptor, by depth
    std::vector<Pending *> spare_;
    std::atomic<bool> outOfMemory_{false};
    std::atomic<bool> tooManyFiles_{false};

    std::mutex seenMutex_;
    std::unordered_set<ino_t> seen_; // inodes with more than one link
};

// Voluntary context switches of the calling thread so far: a read that has
// to wait for the disk puts the thread to sleep; being preempted on a busy
// machine does not count here.
long Sleeps()
{
    rusage u{};
    return ::getrusage(RUSAGE_THREAD, &u) == 0 ? u.ru_nvcsw : 0;
}

uint64_t Walk::run(int rootFd, unsigned threads, unsigned diskThreads,
                   const std::function<void()> &whileWaiting)
{
    const long sleepsBefore = Sleeps();
    Worker caller;
    Visited first;
    if (read(caller, rootFd, dev_, ino_, first)) {
        try {
            root_ = new Pending;
            root_->names.swap(first.names);
        } catch (const std::bad_alloc &) {
            delete root_;
            root_ = nullptr;
            ::close(rootFd);
            throw MakeError(kErrOutOfMemory);
        }
        root_->fd = rootFd;
        root_->dev = dev_;
        root_->ino = ino_;
        root_->unopened = first.folders;
        stack_.push_back(root_);
    }
    work(caller, kSoloFolders);
    if (diskThreads > threads && Sleeps() - sleepsBefore >= kDiskWaits)
        threads = diskThreads;

    std::vector<std::unique_ptr<Worker>> pool;
    std::vector<std::thread> running;
    std::exception_ptr failure;
    if (!stack_.empty() && !abandoned()) {
        const unsigned helpers = whileWaiting ? threads : threads - 1;
        try {
            for (unsigned i = 0; i < helpers; ++i) {
                pool.push_back(std::make_unique<Worker>());
                Worker *w = pool.back().get();
                running.emplace_back([this, w] { work(*w, -1); });
            }
        } catch (...) {
            // Fewer helpers than wished for; the ones that started finish
            // the walk, or the caller does.
        }
        if (whileWaiting && !running.empty()) {
            std::unique_lock<std::mutex> lock(mutex_);
            while (!finished()) {
                WaitSlice(done_, lock, kWaitSlice);
                if (finished() || failure)
                    break;
                lock.unlock();
                try {
                    whileWaiting();
                } catch (...) {
                    failure = std::current_exception();
                }
                lock.lock();
                if (abandoned()) {
                    wake_.notify_all(); // the idle walkers see it too
                    break;
                }
            }
            if (failure || abandoned()) {
                while (!finished())
                    done_.wait(lock);
            }
        } else {
            work(caller, -1);
        }
        for (std::thread &t : running)
            t.join();
    }
    if (failure)
        std::rethrow_exception(failure);
    if (outOfMemory_)
        throw MakeError(kErrOutOfMemory);
    if (tooManyFiles_)
        throw MakeError(kErrTooManyFiles);
    uint64_t total = caller.total;
    for (const auto &w : pool)
        total += w->total;
    return total;
}

// Takes folders off the shared stack until there are none left and nobody
// is reading one that could add more. A budget >= 0 stops after that many
// folders (the caller's solo start).
void Walk::work(Worker &w, int folderBudget)
{
    Visited v;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (folderBudget == 0)
            return;
        if (folderBudget > 0)
            --folderBudget;
        while (stack_.empty() && busy_ > 0 && !abandoned())
            wake_.wait(lock);
        if (stack_.empty() || abandoned()) {
            wake_.notify_all();
            done_.notify_all();
            return;
        }
        Pending *parent = stack_.back();
        const char *name = parent->names.data() + parent->cursor;
        parent->cursor += std::strlen(name) + 1;
        if (parent->cursor >= parent->names.size())
            stack_.pop_back();
        else
            wake_.notify_one();
        ++busy_;
        ++parent->users;
        const bool reachable = ensureOpen(parent);
        lock.unlock();
        const bool found = reachable && visit(w, parent, name, v);
        lock.lock();
        --busy_;
        --parent->users;
        --parent->unopened;
        Pending *child = found ? adopt(parent, name, v) : nullptr;
        settle(parent);
        if (child) {
            stack_.push_back(child);
            evictOverBudget();
            wake_.notify_one();
        } else if (finished()) {
            wake_.notify_all();
            done_.notify_all();
        }
    }
}

void Walk::openFailed(int err)
{
    // Not a folder that cannot be read: a total without it would be wrong
    // without saying so.
    if (err == EMFILE || err == ENFILE)
        tooManyFiles_ = true;
}

// Opens `name` in parent and reads it. True when it has subfolders to visit
// (then out holds its descriptor and their names).
bool Walk::visit(Worker &w, Pending *parent, const char *name, Visited &out)
{
    if (!fence_.empty() && fence_.fenced(parent->dev, parent->ino, name))
        return false;
    const int fd = ::openat(parent->fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd < 0) {
        const int err = errno;
        openFailed(err);
        // A folder that cannot be read still takes its own blocks.
        if (blocks_ && err != EMFILE && err != ENFILE &&
            ::fstatat(parent->fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            count(w, st);
        return false;
    }
    if (::fstat(fd, &st) != 0 || st.st_dev != dev_) {
        ::close(fd);
        return false;
    }
    if (blocks_)
        count(w, st);
    return read(w, fd, st.st_dev, st.st_ino, out);
}

// Reads one folder: counts its files, keeps its subfolders' names. True when
// it has subfolders (the descriptor stays open in out), else closes it.
bool Walk::read(Worker &w, int fd, dev_t dev, ino_t ino, Visited &out)
{
    out.names.clear();
    out.folders = 0;
    const bool fenced = !fence_.empty();
    try {
        // A folder that cannot be read further ends where the error is.
        w.reader.start(fd);
        DirEntry d;
        while (w.reader.next(d)) {
            if (abandoned())
                break;
            const char *name = d.name;
            if (!blocks_ && d.type != DT_REG && d.type != DT_UNKNOWN && d.type != DT_DIR)
                continue;
            if (fenced && fence_.fenced(dev, ino, name))
                continue;
            if (d.type != DT_DIR) {
                struct stat st;
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                if (S_ISREG(st.st_mode) || (blocks_ && !S_ISDIR(st.st_mode))) {
                    count(w, st);
                    continue;
                }
                if (!S_ISDIR(st.st_mode))
                    continue;
            }
            out.names.insert(out.names.end(), name, name + std::strlen(name) + 1);
            ++out.folders;
        }
    } catch (const std::bad_alloc &) {
        outOfMemory_ = true;
        out.folders = 0;
    }
    if (out.folders == 0) {
        ::close(fd);
        return false;
    }
    out.fd = fd;
    out.dev = dev;
    out.ino = ino;
    return true;
}

// A visited folder becomes a waiting one below parent.
Pending *Walk::adopt(Pending *parent, const char *name, Visited &v)
{
    Pending *p = nullptr;
    try {
        if (spare_.empty()) {
            p = new Pending;
        } else {
            p = spare_.back();
            spare_.pop_back();
        }
    } catch (const std::bad_alloc &) {
        outOfMemory_ = true;
        ::close(v.fd);
        return nullptr;
    }
    p->names.swap(v.names);
    p->parent = parent;
    p->nameInParent = name;
    p->dev = v.dev;
    p->ino = v.ino;
    p->depth = parent->depth + 1;
    p->fd = v.fd;
    p->cursor = 0;
    p->unopened = v.folders;
    p->children = 0;
    p->users = 0;
    ++parent->children;
    keepOpen(p);
    return p;
}

// Gives p its descriptor back when it had to close it, reopening the folders
// between it and the nearest ancestor that still has one. A folder that is no
// longer there, or is another one now, leaves the rest of p unvisited.
bool Walk::ensureOpen(Pending *p)
{
    if (p->fd >= 0)
        return true;
    std::vector<Pending *> chain;
    try {
        for (Pending *q = p; q->fd < 0; q = q->parent)
            chain.push_back(q); // the measured folder always has its descriptor
    } catch (const std::bad_alloc &) {
        outOfMemory_ = true;
        return false;
    }
    Pending *from = chain.back()->parent;
    ++from->users;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        Pending *q = *it;
        const int fd = ::openat(from->fd, q->nameInParent, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        bool same = false;
        if (fd < 0) {
            openFailed(errno);
        } else {
            struct stat st;
            same = ::fstat(fd, &st) == 0 && st.st_dev == q->dev && st.st_ino == q->ino;
            if (!same)
                ::close(fd);
        }
        --from->users;
        if (!same)
            return false;
        q->fd = fd;
        ++q->users;
        keepOpen(q);
        evictOverBudget();
        from = q;
    }
    --from->users;
    return true;
}

void Walk::keepOpen(Pending *p)
{
    if (p == root_)
        return;
    try {
        open_.insert({p->depth, p});
    } catch (const std::bad_alloc &) {
        outOfMemory_ = true; // closed when p settles
    }
}

void Walk::closeFd(Pending *p)
{
    if (p == root_ || p->fd < 0)
        return;
    open_.erase({p->depth, p});
    ::close(p->fd);
    p->fd = -1;
}

// Closes a folder whose names have all been opened, and frees it once no
// folder below it waits any more (then its parent may be done too).
void Walk::settle(Pending *p)
{
    while (p != root_ && p->unopened == 0 && p->users == 0) {
        closeFd(p);
        if (p->children > 0)
            return;
        Pending *up = p->parent;
        try {
            spare_.push_back(p);
        } catch (...) {
            delete p;
        }
        --up->children;
        p = up;
    }
}

// Beyond the budget, the shallowest waiting folders give up their
// descriptors: the walk goes deep first, so they are needed last.
void Walk::evictOverBudget()
{
    while (open_.size() > budget_) {
        Pending *victim = nullptr;
        for (const auto &entry : open_) {
            if (entry.second->users == 0) {
                victim = entry.second;
                break;
            }
        }
        if (!victim)
            return;
        closeFd(victim);
    }
}

// An abandoned walk leaves folders waiting: each one is on the stack or
// above a folder that is.
void Walk::freeAbandoned()
{
    std::unordered_set<Pending *> waiting;
    try {
        for (Pending *p : stack_)
            for (; p && p != root_; p = p->parent)
                waiting.insert(p);
    } catch (const std::bad_alloc &) {
        return; // left to the end of the process
    }
    for (Pending *p : waiting) {
        if (p->fd >= 0 && open_.find({p->depth, p}) == open_.end())
            ::close(p->fd);
        delete p;
    }
}

void Walk::count(Worker &w, const struct stat &st)
{
    if (st.st_dev != dev_)
        return; // a file mounted over this one
    if (st.st_nlink > 1 && !S_ISDIR(st.st_mode)) {
        std::lock_guard<std::mutex> lock(seenMutex_);
        if (!seen_.insert(st.st_ino).second)
            return;
    }
    w.total += blocks_ ? uint64_t(st.st_blocks) * 512 : uint64_t(st.st_size);
}

} // namespace

FolderSizer::FolderSizer(unsigned threads)
{
    const bool chosen = threads != 0;
    if (threads == 0)
        threads = std::thread::hardware_concurrency();
    threads_ = threads == 0 ? 1 : threads > kMaxThreads ? kMaxThreads : threads;
    diskThreads_ = chosen ? threads_ : std::max(threads_, kDiskThreads);
}

void FolderSizer::setDiskThreads(unsigned threads)
{
    diskThreads_ = std::clamp(threads, threads_, kMaxThreads);
}

uint64_t FolderSizer::measure(int dirFd, const std::function<void()> &whileWaiting)
{
    return measure(dirFd, MountFence(), whileWaiting);
}

uint64_t FolderSizer::measure(int dirFd, const MountFence &fence, const std::function<void()> &whileWaiting)
{
    struct stat st;
    if (::fstat(dirFd, &st) != 0) {
        ::close(dirFd);
        return 0;
    }
    const bool blocks = measure_ == SizeMeasure::OnDisk;
    Walk walk(st.st_dev, st.st_ino, fence, budget_ != 0 ? budget_ : DescriptorBudget(), blocks, abandon_);
    const uint64_t own = blocks ? uint64_t(st.st_blocks) * 512 : 0;
    return own + walk.run(dirFd, threads_, diskThreads_, whileWaiting);
}

} // namespace vs
