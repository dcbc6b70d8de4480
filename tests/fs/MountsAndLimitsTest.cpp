// Folder totals next to a mount that does not answer and under a small
// descriptor limit: exact totals, an answer in bounded time, and the error
// numbers when the folder itself cannot be had.
#include "fs/FolderSizer.h"
#include "fs/LinuxFileSystem.h"
#include "support/ChildProcess.h"
#include "support/HostileTree.h"
#include "support/StuckMount.h"
#include "util/Errors.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vs;
using namespace vs::test;
using namespace std::chrono_literals;

namespace
{

// The total, or "error N".
std::string Measure(const QByteArray &folder, unsigned threads)
{
    LinuxFileSystem fs(threads);
    try {
        return std::to_string(fs.folderSize(folder).bytes());
    } catch (const VsError &e) {
        return "error " + std::to_string(e.number);
    }
}

std::string ListFolders(const QByteArray &folder)
{
    LinuxFileSystem fs;
    try {
        std::string out;
        auto listing = fs.subFolders(folder);
        QByteArray name;
        while (listing->next(name))
            out += name.toStdString() + ";";
        return out;
    } catch (const VsError &e) {
        return "error " + std::to_string(e.number);
    }
}

// Runs `call` on a thread of its own and gives up waiting after `limit`
// ("hung"); the thread is then left to end when the mount is released.
std::string WithinLimit(std::function<std::string()> call, std::chrono::seconds limit,
                        std::vector<std::thread> &left)
{
    std::packaged_task<std::string()> task(std::move(call));
    std::future<std::string> result = task.get_future();
    std::thread t(std::move(task));
    if (result.wait_for(limit) != std::future_status::ready) {
        left.push_back(std::move(t));
        return "hung";
    }
    t.join();
    return result.get();
}

// Runs `body` in a child process whose descriptor limit (soft and hard) is
// `limit`, on a plain thread there, and returns what it wrote. limit 0: just
// above the lowest free descriptor, `above` more allowed.
std::string InLimitedChild(rlim_t limit, const std::function<std::string()> &body, int above = 0)
{
    const auto lower = [&]() -> std::string {
        if (limit == 0) {
            const int lowest = ::dup(0);
            ::close(lowest);
            limit = rlim_t(lowest + above);
        }
        const rlimit r{limit, limit};
        return ::setrlimit(RLIMIT_NOFILE, &r) == 0 ? std::string() : "setrlimit failed";
    };
    const auto onPlainThread = [&] {
        std::string out;
        std::thread t([&] {
            try {
                out = body();
            } catch (...) {
                out = "exception";
            }
        });
        t.join();
        return out;
    };
    return vs::test::RunInChild(onPlainThread, lower);
}

} // namespace

TEST(DescriptorLimit, DeepChainIsExactUnderALimitOf1024OnAnyThreadCount)
{
    TempTree t;
    const int64_t expected = MakeDeepChain(t, "chain", {2000, 4, 1, "d"});
    ASSERT_EQ(expected, 2000 * 5);
    for (unsigned threads : {1u, 2u, 8u}) {
        EXPECT_EQ(InLimitedChild(1024, [&] { return Measure(t.path("chain"), threads); }),
                  std::to_string(expected))
            << threads << " threads";
    }
}

TEST(DescriptorLimit, AFewKeptDescriptorsGiveTheSameTotals)
{
    TempTree t;
    const int64_t chain = MakeDeepChain(t, "top/chain", {300, 3, 2, "level"});
    const int64_t wide = MakeWideFolder(t, "top/wide", 50, 3);
    t.hardlink("top/wide/1", "top/chain/level/again");
    for (unsigned budget : {1u, 2u, 7u}) {
        for (unsigned threads : {1u, 2u, 8u, 16u}) {
            FolderSizer sizer(threads);
            sizer.setDescriptorBudget(budget);
            const int fd = ::open(t.path("top").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            EXPECT_EQ(int64_t(sizer.measure(fd)), chain + wide)
                << budget << " kept, " << threads << " threads";
        }
    }
}

TEST(DescriptorLimit, RunningOutOfDescriptorsIsError67NeverAQuietTotal)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's runtime needs descriptors of its own in a child this tight";
#endif
    TempTree t;
    MakeDeepChain(t, "chain", {12, 1, 1, "d"});
    for (unsigned threads : {1u, 8u}) {
        // Room for the folder itself and one level below it.
        EXPECT_EQ(InLimitedChild(
                      0, [&] { return Measure(t.path("chain"), threads); }, 2),
                  "error 67")
            << threads << " threads";
    }
}

TEST(MountThatHangs, TotalBesideAStuckMountIsExactAndComesBack)
{
    TempTree t;
    t.file("top/a/one", 100);
    t.file("top/x/y/two", 7);
    t.file("top/x/three", 20);
    StuckMount mount(t.path("top/x/stuck"));
    if (!mount.available())
        GTEST_SKIP() << mount.why().toStdString();

    std::vector<std::thread> left;
    for (unsigned threads : {1u, 2u, 8u}) {
        EXPECT_EQ(WithinLimit([&] { return Measure(t.path("top"), threads); }, 20s, left), "127") << threads;
        EXPECT_EQ(WithinLimit([&] { return Measure(t.path("top/x"), threads); }, 20s, left), "27") << threads;
    }
    const std::string listed = WithinLimit([&] { return ListFolders(t.path("top/x")); }, 20s, left);
    EXPECT_TRUE(listed == "y;stuck;" || listed == "stuck;y;") << listed;

    // The duplicate walk's fence from a path through a symbolic link.
    t.symlink(t.path("top"), "link");
    struct stat x;
    ASSERT_EQ(::stat(t.path("top/x").constData(), &x), 0);
    const MountFence fence = MountFence::ForWalk(t.path("link"), x.st_dev);
    EXPECT_EQ(fence.size(), 1u);
    EXPECT_TRUE(fence.fenced(x.st_dev, x.st_ino, "stuck"));
    EXPECT_FALSE(fence.fenced(x.st_dev, x.st_ino, "y"));
    mount.resume();
    for (std::thread &th : left)
        th.join();
}

TEST(MountThatHangs, TheStuckFolderItselfIsUnavailable)
{
    TempTree t;
    StuckMount mount(t.path("stuck"));
    if (!mount.available())
        GTEST_SKIP() << mount.why().toStdString();

    std::vector<std::thread> left;
    EXPECT_EQ(WithinLimit([&] { return Measure(mount.mountPoint(), 2); }, 20s, left), "error 68");
    EXPECT_EQ(WithinLimit([&] { return ListFolders(mount.mountPoint()); }, 20s, left), "error 68");
    // Asked again while the first look still hangs: the same answer.
    EXPECT_EQ(WithinLimit([&] { return Measure(mount.mountPoint(), 1); }, 20s, left), "error 68");
    mount.resume();
    for (std::thread &th : left)
        th.join();
}

// A stop while a walker hangs on a folder: the walk is abandoned as soon as
// the folder answers, the idle walkers are woken, nothing is left behind.
// The chain is longer than the caller's solo start, so a helper thread meets
// the mount while the caller waits.
TEST(MountThatHangs, AnAbandonedWalkReturnsOnceTheHangingFolderAnswers)
{
    TempTree t;
    QByteArray chain = "top";
    for (int i = 1; i <= 60; ++i)
        chain += "/c" + QByteArray::number(i);
    t.file("top/c1/one", 100);
    t.file(chain + "/later/two", 7);
    StuckMount mount(t.path(chain + "/stuck"));
    if (!mount.available())
        GTEST_SKIP() << mount.why().toStdString();

    for (unsigned threads : {1u, 3u}) {
        mount.stop();
        std::atomic<bool> abandon{false};
        int waits = 0;
        FolderSizer sizer(threads);
        sizer.setAbandonFlag(&abandon);
        const int fd = ::open(t.path("top").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        // No fence: the walker opens the mount point and hangs there until
        // the wait below, which stands for the stop button, lets it go.
        const uint64_t total = sizer.measure(fd, [&] {
            ++waits;
            abandon = true;
            mount.resume();
        });
        EXPECT_EQ(waits, 1) << threads;
        // "later" is counted only when it came before the mount.
        EXPECT_TRUE(total == 100 || total == 107) << threads << " " << total;
    }
}
