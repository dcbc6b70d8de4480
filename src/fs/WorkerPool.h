// A few helper threads for one parallel loop at a time: job(i) for every i of
// a count, each exactly once. The helpers are started at the first loop that
// wants them and then wait for the next one.
//
// Thread-clean by construction: everything about one loop lives in run() (or
// runWhileWaiting()) on the caller's stack; a helper joins a loop and leaves
// it under the pool's mutex, and the caller returns only when no helper is
// inside, so no helper touches a loop after its call has returned.
// A pool with no helpers, a pool used from a forked child (its helpers stayed
// in the parent) and a loop started while another is running on the same
// pool (a job that starts a loop of its own, or a second thread) run their
// jobs on the calling thread instead.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vs
{

class WorkerPool
{
  public:
    explicit WorkerPool(unsigned helpers);
    // Stops and joins the helpers (a loop must not be running).
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    unsigned helpers() const { return helpers_; }

    // Runs job(0..count-1) on the calling thread and up to min(helpers,
    // count) helpers; returns when all are done. An exception thrown by a
    // job stops the loop and comes out here once every helper has left it.
    void run(size_t count, const std::function<void(size_t)> &job);

    // The same with the jobs on up to min(helpers, count) helpers only: the
    // calling thread waits and calls whileWaiting every `interval` while
    // jobs remain. When whileWaiting returns false the jobs not yet started
    // are skipped. (Without helpers the calling thread runs the jobs and
    // calls whileWaiting between them.)
    void runWhileWaiting(size_t count, const std::function<void(size_t)> &job,
                         std::chrono::milliseconds interval, const std::function<bool()> &whileWaiting);

    // Helpers for a loop that keeps the calling thread busy too: one per
    // further core, at most `most`; none on one core.
    static unsigned HelpersBesideCaller(unsigned most);
    // One per core (at least one), for a loop whose caller only waits.
    static unsigned HelpersPerCore();

  private:
    struct Loop;

    bool takeLoop(Loop &loop);
    void leaveLoop(Loop &loop);
    void helperMain();

    const unsigned helpers_;
    const pid_t owner_;
    std::mutex mutex_;
    std::condition_variable wake_; // helpers: a new loop, or the end
    std::condition_variable done_; // the caller: the last helper left
    Loop *current_ = nullptr;
    unsigned long long generation_ = 0;
    bool quit_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vs
