// The drive list's looks at mount points run under the time limit: a mount
// that never answers is listed as a drive instead of holding the window.
#include "drives/LinuxMountTable.h"
#include "support/StuckMount.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

using namespace vs;

namespace
{

const QByteArray kTable = "25 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
                          "30 25 0:60 / /stuck rw - fuse.squashfuse /dev/loop7 rw\n"
                          "31 25 8:17 / /gone rw - ext4 /dev/sdb1 rw\n"
                          "32 25 0:61 / /net rw - nfs4 server:/export rw\n"
                          "33 25 0:62 / /proc/fs/x rw - ext4 /dev/sdc1 rw\n";

// Looks that answer at once, except at /stuck, which waits until released.
// The limit is the real one, so a slow machine still answers the others in time.
struct Looks {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::map<QByteArray, int> calls;

    bool look(const QByteArray &mp)
    {
        std::unique_lock lock(mutex);
        ++calls[mp];
        if (mp == "/stuck")
            released.wait(lock, [&] { return release; });
        return mp != "/gone";
    }
    void releaseAll()
    {
        std::lock_guard lock(mutex);
        release = true;
        released.notify_all();
    }
    int count(const QByteArray &mp)
    {
        std::lock_guard lock(mutex);
        return calls[mp];
    }
};

class NoBlockInfo final : public DeviceProbe
{
  public:
    BlockInfo blockInfo(unsigned, unsigned, const QByteArray &) override { return {}; }
    bool isDirectory(const QByteArray &) override { return true; }
};

} // namespace

TEST(TimeLimitedDeviceProbe, AStuckMountIsADriveAndIsAskedOnlyOnceWhileStuck)
{
    auto looks = std::make_shared<Looks>();
    const auto look = [looks](const QByteArray &mp) { return looks->look(mp); };
    const auto rows = ParseMountInfo(kTable);
    NoBlockInfo inner;
    {
        TimeLimitedDeviceProbe probe(inner, rows, std::chrono::milliseconds(2000), look);
        EXPECT_TRUE(probe.isDirectory("/stuck"));
        EXPECT_FALSE(probe.isDirectory("/gone"));
        EXPECT_TRUE(probe.isDirectory("/"));

        std::vector<QByteArray> points;
        for (const DriveEntry &d : SelectDrives(rows, probe))
            points.push_back(d.mountPoint);
        EXPECT_EQ(points, (std::vector<QByteArray>{"/", "/net", "/stuck"}));
    }
    // Shares and the kernel's folders are never looked at.
    EXPECT_EQ(looks->count("/net"), 0);
    EXPECT_EQ(looks->count("/proc/fs/x"), 0);

    // Still stuck: the next list does not start another look there.
    {
        TimeLimitedDeviceProbe again(inner, rows, std::chrono::milliseconds(2000), look);
        EXPECT_TRUE(again.isDirectory("/stuck"));
    }
    EXPECT_EQ(looks->count("/stuck"), 1);
    EXPECT_EQ(looks->count("/gone"), 2);
    looks->releaseAll();
}

TEST(TimeLimitedDeviceProbe, TheRealDriveListReturnsWhileAFuseMountHangs)
{
    vs::test::TempTree t;
    vs::test::StuckMount stuck(t.path("stuck"));
    if (!stuck.available())
        GTEST_SKIP() << stuck.why().toStdString();
    LinuxMountTable table;
    // Returns (within the time limit) instead of waiting for the daemon.
    const std::vector<DriveEntry> drives = table.drives();
    bool rootListed = false;
    for (const DriveEntry &d : drives)
        rootListed = rootListed || d.mountPoint == "/";
    EXPECT_TRUE(rootListed);
}
