// The worker pool: every index once, repeated and nested loops, a stop from
// the waiting caller, exceptions, and no helpers in a forked child.
#include "fs/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using vs::WorkerPool;

namespace
{

// Counts of each index over one loop.
std::vector<int> RunCounting(WorkerPool &pool, size_t count, bool waiting)
{
    std::vector<std::atomic<int>> hits(count);
    const std::function<void(size_t)> job = [&](size_t i) { hits[i].fetch_add(1); };
    if (waiting)
        pool.runWhileWaiting(count, job, std::chrono::milliseconds(1), [] { return true; });
    else
        pool.run(count, job);
    std::vector<int> out;
    for (auto &h : hits)
        out.push_back(h.load());
    return out;
}

} // namespace

TEST(WorkerPool, EveryIndexExactlyOnceInRepeatedLoops)
{
    for (unsigned helpers : {0u, 1u, 3u}) {
        WorkerPool pool(helpers);
        // Each loop's job checks that it belongs to the loop running now: a
        // helper still calling an earlier loop's job would be caught here.
        std::atomic<int> current{0}, strays{0};
        for (int round = 0; round < 300; ++round) {
            const size_t count = size_t(round % 7 == 0 ? 0 : round % 5 == 0 ? 1 : 2 + round * 13 % 200);
            const bool waiting = round % 2 == 1;
            current = round;
            std::vector<std::atomic<int>> hits(count);
            const std::function<void(size_t)> job = [&hits, &current, &strays, round](size_t i) {
                if (current.load() != round)
                    strays.fetch_add(1);
                hits[i].fetch_add(1);
            };
            if (waiting)
                pool.runWhileWaiting(count, job, std::chrono::milliseconds(1), [] { return true; });
            else
                pool.run(count, job);
            current = -1;
            for (size_t i = 0; i < count; ++i)
                ASSERT_EQ(hits[i].load(), 1) << helpers << " " << round << " " << i;
        }
        EXPECT_EQ(strays.load(), 0) << helpers;
        EXPECT_EQ(pool.helpers(), helpers);
    }
}

TEST(WorkerPool, ALoopInsideAJobRunsOnItsOwnThread)
{
    WorkerPool pool(2);
    std::vector<std::atomic<int>> inner(20 * 30);
    pool.run(20, [&](size_t outer) {
        const std::thread::id me = std::this_thread::get_id();
        pool.run(30, [&, outer, me](size_t i) {
            EXPECT_EQ(std::this_thread::get_id(), me);
            inner[outer * 30 + i].fetch_add(1);
        });
    });
    for (auto &n : inner)
        ASSERT_EQ(n.load(), 1);
    EXPECT_EQ(RunCounting(pool, 500, false), std::vector<int>(500, 1)); // still usable
}

TEST(WorkerPool, WithoutHelpersTheCallerRunsEverything)
{
    WorkerPool pool(0);
    const std::thread::id me = std::this_thread::get_id();
    std::set<std::thread::id> seen;
    pool.run(100, [&](size_t) { seen.insert(std::this_thread::get_id()); });
    pool.runWhileWaiting(
        100, [&](size_t) { seen.insert(std::this_thread::get_id()); }, std::chrono::milliseconds(1),
        [] { return true; });
    EXPECT_EQ(seen, std::set<std::thread::id>{me});
}

TEST(WorkerPool, AStopFromTheWaitingCallerSkipsTheJobsNotStarted)
{
    // One helper takes job 0 and holds it until the caller has said "stop"
    // twice; the first answer already stopped the loop, so no job follows.
    WorkerPool pool(1);
    std::atomic<bool> started{false};
    std::atomic<int> stops{0};
    std::vector<size_t> ran;
    std::mutex m;
    pool.runWhileWaiting(
        50,
        [&](size_t i) {
            {
                std::lock_guard<std::mutex> lock(m);
                ran.push_back(i);
            }
            started = true;
            while (stops.load() < 2)
                std::this_thread::yield();
        },
        std::chrono::milliseconds(1),
        [&] {
            if (!started.load())
                return true;
            stops.fetch_add(1);
            return false;
        });
    EXPECT_EQ(ran, std::vector<size_t>{0});
    EXPECT_GE(stops.load(), 2);

    // Without helpers the caller is asked between jobs.
    WorkerPool alone(0);
    ran.clear();
    alone.runWhileWaiting(
        5, [&](size_t i) { ran.push_back(i); }, std::chrono::milliseconds(0), [] { return false; });
    EXPECT_EQ(ran, std::vector<size_t>{0});
}

TEST(WorkerPool, AnExceptionComesOutOfTheLoopAndThePoolGoesOn)
{
    WorkerPool pool(3);
    EXPECT_THROW(pool.run(1000,
                          [](size_t i) {
                              if (i == 500)
                                  throw std::runtime_error("job");
                          }),
                 std::runtime_error);
    EXPECT_THROW(pool.runWhileWaiting(
                     10,
                     [](size_t i) {
                         if (i == 3)
                             throw std::runtime_error("job");
                     },
                     std::chrono::milliseconds(1), [] { return true; }),
                 std::runtime_error);
    EXPECT_EQ(RunCounting(pool, 1000, false), std::vector<int>(1000, 1));
    EXPECT_EQ(RunCounting(pool, 1000, true), std::vector<int>(1000, 1));
}

TEST(WorkerPool, AForkedChildHasNoHelpers)
{
    WorkerPool pool(3);
    ASSERT_EQ(RunCounting(pool, 1000, false), std::vector<int>(1000, 1)); // helpers started
    const pid_t pid = fork();
    if (pid == 0) {
        const std::thread::id me = std::this_thread::get_id();
        int others = 0, total = 0;
        // Not a gtest assertion here: the child only reports through its exit code.
        pool.run(1000, [&](size_t) {
            others += std::this_thread::get_id() != me;
            ++total;
        });
        pool.runWhileWaiting(
            1000,
            [&](size_t) {
                others += std::this_thread::get_id() != me;
                ++total;
            },
            std::chrono::milliseconds(1), [] { return true; });
        _exit(others == 0 && total == 2000 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
