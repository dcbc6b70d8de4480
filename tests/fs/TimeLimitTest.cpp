#include "fs/TimeLimit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace vs;
using namespace std::chrono_literals;

namespace
{
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = false;
    void wait()
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [this] { return open; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        cv.notify_all();
    }
};
} // namespace

TEST(TimeLimit, AnswersInTimeAndGivesUpOnABlockedCall)
{
    auto gate = std::make_shared<Gate>();
    auto started = std::make_shared<std::atomic<int>>(0);
    std::vector<TimedJob<int>> jobs;
    jobs.push_back({"/a", [] { return 1; }});
    jobs.push_back({"/dead", [gate, started] {
                        ++*started;
                        gate->wait();
                        return 2;
                    }});
    jobs.push_back({"/c", []() -> int { throw std::runtime_error("no"); }});
    jobs.push_back({QByteArray(), [] { return 4; }});
    // The real limit, so a loaded machine still answers the live jobs in time.
    const auto results = RunAllWithTimeLimit<int>(std::move(jobs), kDriveTimeLimit);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0], std::optional<int>(1));
    EXPECT_EQ(results[1], std::nullopt);
    EXPECT_EQ(results[2], std::nullopt);
    EXPECT_EQ(results[3], std::optional<int>(4));

    // While the first call is stuck, the same drive is not asked again.
    const auto again = RunWithTimeLimit<int>("/dead", [started] {
        ++*started;
        return 3;
    });
    EXPECT_EQ(again, std::nullopt);
    EXPECT_EQ(started->load(), 1);

    // Once it has ended, the drive is asked again.
    gate->release();
    std::optional<int> later;
    for (int i = 0; i < 500 && !later; ++i) {
        later = RunWithTimeLimit<int>(
            "/dead", [] { return 5; }, 5s);
        if (!later)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(later, std::optional<int>(5));
}

TEST(TimeLimit, ACallThatEndedFreesItsKeyBeforeItsCallerHears)
{
    // The folder sizer asks the same folder twice in a row: the second call
    // must never be taken for one still blocked.
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(RunWithTimeLimit<int>(
                      "/same", [] { return 1; }, 5s),
                  std::optional<int>(1))
            << i;
        ASSERT_EQ(RunWithTimeLimit<int>(
                      "/same", [] { return 2; }, 5s),
                  std::optional<int>(2))
            << i;
    }
}
