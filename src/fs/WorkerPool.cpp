#include "fs/WorkerPool.h"
#include "fs/WaitSlice.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <unistd.h>

namespace vs
{

// One loop; it lives on the stack of the call that runs it.
struct WorkerPool::Loop {
    Loop(const std::function<void(size_t)> &j, size_t n, unsigned helpers)
        : job(j), count(n), wanted(unsigned(std::min<size_t>(helpers, n)))
    {
    }

    const std::function<void(size_t)> &job;
    const size_t count;
    unsigned wanted;     // helpers that may join
    unsigned joined = 0; // these four under the pool's mutex
    unsigned inside = 0;
    std::exception_ptr failure;
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};

    bool drained() const { return stop.load() || next.load() >= count; }

    // Takes indexes until none are left or the loop is stopped.
    std::exception_ptr work()
    {
        try {
            while (!stop.load(std::memory_order_relaxed)) {
                const size_t i = next.fetch_add(1);
                if (i >= count)
                    break;
                job(i);
            }
        } catch (...) {
            stop.store(true);
            return std::current_exception();
        }
        return nullptr;
    }
};

WorkerPool::WorkerPool(unsigned helpers) : helpers_(helpers), owner_(::getpid()) {}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread &t : threads_)
        t.join();
}

unsigned WorkerPool::HelpersBesideCaller(unsigned most)
{
    const unsigned n = std::thread::hardware_concurrency();
    return n > 1 ? std::min(n - 1, most) : 0;
}

unsigned WorkerPool::HelpersPerCore()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

// Offers the loop to the helpers; false when it must run on the calling
// thread (no helpers here, or the pool is busy with another loop).
bool WorkerPool::takeLoop(Loop &loop)
{
    if (helpers_ == 0 || ::getpid() != owner_)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (current_ || quit_)
        return false;
    try {
        while (threads_.size() < helpers_)
            threads_.emplace_back([this] { helperMain(); });
    } catch (...) {
        // Fewer helpers than wished for.
    }
    if (threads_.empty())
        return false;
    loop.wanted = std::min(loop.wanted, unsigned(threads_.size()));
    current_ = &loop;
    ++generation_;
    wake_.notify_all();
    return true;
}

// Closes the loop to helpers and waits for the ones inside to leave it.
void WorkerPool::leaveLoop(Loop &loop)
{
    std::unique_lock<std::mutex> lock(mutex_);
    current_ = nullptr;
    done_.wait(lock, [&] { return loop.inside == 0; });
}

void WorkerPool::helperMain()
{
    unsigned long long seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] {
            return quit_ || (current_ && generation_ != seen && current_->joined < current_->wanted);
        });
        if (quit_)
            return;
        seen = generation_;
        Loop &loop = *current_;
        ++loop.joined;
        ++loop.inside;
        lock.unlock();
        std::exception_ptr failure = loop.work();
        lock.lock();
        // The last touch of the loop, under the mutex.
        if (failure && !loop.failure)
            loop.failure = failure;
        if (--loop.inside == 0)
            done_.notify_all();
    }
}

void WorkerPool::run(size_t count, const std::function<void(size_t)> &job)
{
    if (count == 0)
        return;
    Loop loop(job, count, helpers_);
    if (!takeLoop(loop)) {
        for (size_t i = 0; i < count; ++i)
            job(i);
        return;
    }
    std::exception_ptr failure = loop.work();
    leaveLoop(loop);
    if (!failure)
        failure = loop.failure; // no helper is left to write it
    if (failure)
        std::rethrow_exception(failure);
}

void WorkerPool::runWhileWaiting(size_t count, const std::function<void(size_t)> &job,
                                 std::chrono::milliseconds interval,
                                 const std::function<bool()> &whileWaiting)
{
    if (count == 0)
        return;
    Loop loop(job, count, helpers_);
    if (!takeLoop(loop)) {
        auto last = std::chrono::steady_clock::now();
        for (size_t i = 0; i < count; ++i) {
            job(i);
            if (!whileWaiting || i + 1 == count)
                continue;
            const auto now = std::chrono::steady_clock::now();
            if (now - last >= interval) {
                last = now;
                if (!whileWaiting())
                    break;
            }
        }
        return;
    }
    std::exception_ptr failure;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto finished = [&] { return loop.drained() && loop.inside == 0; };
        while (!finished()) {
            WaitSlice(done_, lock, interval);
            if (finished() || !whileWaiting || failure)
                continue;
            lock.unlock();
            bool goOn = false;
            try {
                goOn = whileWaiting();
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            if (!goOn)
                loop.stop.store(true);
        }
        current_ = nullptr;
        if (!failure)
            failure = loop.failure;
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vs
