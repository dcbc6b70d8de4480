// The fence of foreign mount points, on mount tables captured from machines
// and on real folders named by a table.
#include "fs/MountFence.h"
#include "fs/PseudoFileSystems.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace vs;
using vs::test::TempTree;

namespace
{

using Points = std::vector<QByteArray>;

// A desktop: root and home on two disks, a share, a USB stick whose label
// holds a blank, bind mounts, pseudo file systems, and mounts hidden by later
// ones on the same point or above it.
const QByteArray kDesktop = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "23 22 0:21 / /proc rw,nosuid shared:2 - proc proc rw\n"
                            "24 22 0:22 / /sys rw,nosuid shared:3 - sysfs sysfs rw\n"
                            "25 24 0:6 / /sys/kernel/security rw - securityfs securityfs rw\n"
                            "30 22 8:2 / /home rw,relatime shared:10 - ext4 /dev/sda2 rw\n"
                            "40 30 0:45 / /home/user/mnt/share rw - fuse.sshfs user@host: rw,user_id=1000\n"
                            "41 40 0:46 / /home/user/mnt/share/inner rw - tmpfs tmpfs rw\n"
                            "42 30 8:2 /user/data /home/user/bind rw - ext4 /dev/sda2 rw\n"
                            "43 30 8:17 / /home/user/My\\040Disk rw - vfat /dev/sdb1 rw\n"
                            "44 30 0:48 / /home/user/proc-copy rw - proc proc rw\n"
                            "45 30 8:2 / /home/user/odd rw - sysfs none rw\n"
                            "46 30 0:49 / /home/username/x rw - tmpfs tmpfs rw\n"
                            "47 30 0:51 / /home/user/covered rw - fuse.stuck stuck rw\n"
                            "48 30 8:2 /user/elsewhere /home/user/covered rw - ext4 /dev/sda2 rw\n"
                            "49 30 0:52 / /home/user/gone/sub rw - nfs4 srv:/x rw\n"
                            "50 30 8:2 /user/other /home/user/gone rw - ext4 /dev/sda2 rw\n"
                            "malformed line\n";

} // namespace

TEST(MountFence, FencesForeignAndPseudoMountsStrictlyBelowTheRootOnly)
{
    const dev_t home = makedev(8, 2);
    const Points expected = {"/home/user/mnt/share", "/home/user/My Disk", "/home/user/proc-copy",
                             "/home/user/odd"};
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user", home, kDesktop), expected);
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user/", home, kDesktop), expected);
    // Below the share's own folder the share is the root, not fenced; its
    // inner tmpfs is.
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user/mnt/share", makedev(0, 45), kDesktop),
              Points{"/home/user/mnt/share/inner"});
    // Whatever lies inside a fenced mount is never reached and never asked.
    EXPECT_EQ(MountFence::MountPointsToFence("/", makedev(8, 1), kDesktop),
              (Points{"/proc", "/sys", "/home"}));
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user/bind", home, kDesktop), Points{});
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user", home, QByteArray()), Points{});
}

TEST(MountFence, DecodesEveryEscapeOfTheTableToBytes)
{
    const QByteArray table =
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 0:40 / /data/tab\\011and\\012line rw - vfat /dev/sdb1 rw\n"
        "3 1 0:41 / /data/back\\134slash rw - vfat /dev/sdc1 rw\n"
        "4 1 0:42 / /data/\\320\\224\\320\\270\\321\\201\\320\\272 rw - vfat /dev/sdd1 rw\n"
        "5 1 0:43 / /data/odd\\377byte rw - vfat /dev/sde1 rw\n";
    EXPECT_EQ(MountFence::MountPointsToFence("/data", makedev(8, 1), table),
              (Points{"/data/tab\tand\nline", "/data/back\\slash", "/data/Диск",
                      "/data/odd\xff"
                      "byte"}));
}

TEST(MountFence, MountsOfTheRootsOwnFileSystemUnderAnotherNumberAreNotFenced)
{
    // btrfs: stat gives a subvolume its own number, the table the file system's.
    const QByteArray table = "1 0 0:30 /@ / rw - btrfs /dev/nvme0n1p2 rw\n"
                             "2 1 0:30 /@home /home rw - btrfs /dev/nvme0n1p2 rw\n"
                             "3 2 0:30 /@snapshots /home/user/snaps rw - btrfs /dev/nvme0n1p2 rw\n"
                             "4 2 0:60 / /home/user/usb rw - exfat /dev/sdb1 rw\n";
    EXPECT_EQ(MountFence::MountPointsToFence("/home/user", makedev(0, 41), table), Points{"/home/user/usb"});
}

TEST(MountFence, AsksByTheHoldingFoldersIdentityAndTheLastName)
{
    TempTree t;
    t.mkdir("top/sub/share");
    t.mkdir("top/My Disk");
    t.mkdir("top/sub/plain");
    struct stat top, sub, root;
    ASSERT_EQ(::stat(t.path("top").constData(), &top), 0);
    ASSERT_EQ(::stat(t.path("top/sub").constData(), &sub), 0);
    ASSERT_EQ(::stat(t.root().constData(), &root), 0);
    QByteArray escapedRoot = t.root();
    escapedRoot.replace(" ", "\\040");
    const QByteArray table = "1 0 " + QByteArray::number(major(root.st_dev)) + ":" +
                             QByteArray::number(minor(root.st_dev)) + " / / rw - ext4 /dev/sda1 rw\n" +
                             "2 1 0:70 / " + escapedRoot + "/top/sub/share rw - fuse.sshfs h: rw\n" +
                             "3 1 0:71 / " + escapedRoot + "/top/My\\040Disk rw - vfat /dev/sdb1 rw\n" +
                             "4 1 0:72 / " + escapedRoot + "/top/missing/deeper rw - nfs s:/ rw\n" +
                             "5 1 0:73 / " + escapedRoot + "/outside rw - nfs s:/ rw\n";

    const MountFence fence = MountFence::Below(t.path("top"), root.st_dev, table);
    EXPECT_EQ(fence.size(), 2u); // the missing folder gives no identity
    EXPECT_TRUE(fence.fenced(sub.st_dev, sub.st_ino, "share"));
    EXPECT_TRUE(fence.fenced(top.st_dev, top.st_ino, "My Disk"));
    EXPECT_FALSE(fence.fenced(sub.st_dev, sub.st_ino, "plain"));
    EXPECT_FALSE(fence.fenced(top.st_dev, top.st_ino, "share"));
    EXPECT_FALSE(fence.fenced(sub.st_dev, sub.st_ino, "My Disk"));
    EXPECT_FALSE(fence.fenced(sub.st_dev + 1, sub.st_ino, "share"));
    EXPECT_TRUE(MountFence().empty());
}

TEST(MountFence, OwnTableIsReadAndPseudoTypesAreKnownByName)
{
    EXPECT_TRUE(ReadOwnMountTable().contains(" - "));
    for (const char *type : {"proc", "sysfs", "cgroup2", "devpts", "tracefs", "nsfs", "fusectl"})
        EXPECT_TRUE(IsPseudoFileSystemType(type)) << type;
    for (const char *type : {"ext4", "tmpfs", "fuse.sshfs", "nfs4", "btrfs", "vfat", ""})
        EXPECT_FALSE(IsPseudoFileSystemType(type)) << type;
}
