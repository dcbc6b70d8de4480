#include "fs/FolderSizer.h"

#include "fs/DirectoryReader.h"
#include "util/Errors.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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
constexpr auto kWaitSlice = std::chrono::milliseconds(25);

// A folder that has been read and whose subfolders are not all opened yet.
// It keeps its descriptor so they can be opened relative to it.
struct Pending {
    int fd = -1;
    std::vector<char> names; // NUL-terminated, back to back
    size_t cursor = 0;
    std::atomic<uint32_t> unopened{0};
};

struct Worker {
    DirectoryReader reader{DirectoryReader::Dots::Skip, kBufferSize};
    uint64_t total = 0;
    std::vector<Pending *> spare;

    Pending *take()
    {
        if (spare.empty())
            return new Pending;
        Pending *p = spare.back();
        spare.pop_back();
        return p;
    }
    ~Worker()
    {
        for (Pending *p : spare)
            delete p;
    }
};

class Walk
{
  public:
    explicit Walk(dev_t dev) : dev_(dev) {}
    ~Walk()
    {
        for (Pending *p : stack_) {
            ::close(p->fd);
            delete p;
        }
    }

    uint64_t run(int rootFd, unsigned threads, const std::function<void()> &whileWaiting);

  private:
    void work(Worker &w, int folderBudget);
    Pending *visit(Worker &w, Pending *parent, const char *name);
    Pending *read(Worker &w, int fd);
    void count(Worker &w, const struct stat &st);
    bool finished() const { return stack_.empty() && busy_ == 0; }

    const dev_t dev_;
    std::mutex mutex_;
    std::condition_variable wake_; // workers: more folders, or the end
    std::condition_variable done_; // the waiting caller: the end
    std::vector<Pending *> stack_; // depth first keeps few descriptors open
    int busy_ = 0;
    std::atomic<bool> outOfMemory_{false};

    std::mutex seenMutex_;
    std::unordered_set<ino_t> seen_; // inodes with more than one link
};

uint64_t Walk::run(int rootFd, unsigned threads, const std::function<void()> &whileWaiting)
{
    Worker caller;
    if (Pending *root = read(caller, rootFd))
        stack_.push_back(root);
    work(caller, kSoloFolders);

    std::vector<std::unique_ptr<Worker>> pool;
    std::vector<std::thread> running;
    std::exception_ptr failure;
    if (!stack_.empty()) {
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
                done_.wait_for(lock, kWaitSlice);
                if (finished() || failure)
                    break;
                lock.unlock();
                try {
                    whileWaiting();
                } catch (...) {
                    failure = std::current_exception();
                }
                lock.lock();
            }
            if (failure) {
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
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (folderBudget == 0)
            return;
        if (folderBudget > 0)
            --folderBudget;
        while (stack_.empty() && busy_ > 0)
            wake_.wait(lock);
        if (stack_.empty()) {
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
        lock.unlock();
        Pending *child = visit(w, parent, name);
        lock.lock();
        --busy_;
        if (child) {
            stack_.push_back(child);
            wake_.notify_one();
        } else if (finished()) {
            wake_.notify_all();
            done_.notify_all();
        }
    }
}

Pending *Walk::visit(Worker &w, Pending *parent, const char *name)
{
    const int fd = ::openat(parent->fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parent->unopened.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        ::close(parent->fd);
        parent->fd = -1;
        try {
            w.spare.push_back(parent);
        } catch (...) {
            delete parent;
        }
    }
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_dev != dev_) {
        ::close(fd);
        return nullptr;
    }
    return read(w, fd);
}

// Reads one folder: counts its files, keeps its subfolders' names. Returns
// the folder as Pending when it has subfolders, else closes it.
Pending *Walk::read(Worker &w, int fd)
{
    Pending *p = nullptr;
    uint32_t folders = 0;
    try {
        p = w.take();
        p->names.clear();
        // A folder that cannot be read further ends where the error is.
        w.reader.start(fd);
        DirEntry d;
        while (w.reader.next(d)) {
            const char *name = d.name;
            if (d.type == DT_REG || d.type == DT_UNKNOWN) {
                struct stat st;
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                if (S_ISREG(st.st_mode)) {
                    count(w, st);
                    continue;
                }
                if (!S_ISDIR(st.st_mode))
                    continue;
            } else if (d.type != DT_DIR) {
                continue;
            }
            p->names.insert(p->names.end(), name, name + std::strlen(name) + 1);
            ++folders;
        }
    } catch (const std::bad_alloc &) {
        outOfMemory_ = true;
        folders = 0;
    }
    if (folders == 0) {
        ::close(fd);
        if (p) {
            try {
                w.spare.push_back(p);
            } catch (...) {
                delete p;
            }
        }
        return nullptr;
    }
    p->fd = fd;
    p->cursor = 0;
    p->unopened.store(folders, std::memory_order_relaxed);
    return p;
}

void Walk::count(Worker &w, const struct stat &st)
{
    if (st.st_dev != dev_)
        return; // a file mounted over this one
    if (st.st_nlink > 1) {
        std::lock_guard<std::mutex> lock(seenMutex_);
        if (!seen_.insert(st.st_ino).second)
            return;
    }
    w.total += uint64_t(st.st_size);
}

} // namespace

FolderSizer::FolderSizer(unsigned threads)
{
    if (threads == 0)
        threads = std::thread::hardware_concurrency();
    threads_ = threads == 0 ? 1 : threads > kMaxThreads ? kMaxThreads : threads;
}

uint64_t FolderSizer::measure(int dirFd, const std::function<void()> &whileWaiting)
{
    struct stat st;
    if (::fstat(dirFd, &st) != 0) {
        ::close(dirFd);
        return 0;
    }
    Walk walk(st.st_dev);
    return walk.run(dirFd, threads_, whileWaiting);
}

} // namespace vs
