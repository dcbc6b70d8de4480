#include "drives/MountInfo.h"
#include "drives/LinuxMountTable.h"
#include "fs/TimeLimit.h"
#include "util/Errors.h"

#include "Printers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <set>

using namespace vs;

namespace
{

// Block devices by device number; every other path is a folder unless listed.
class FakeProbe : public DeviceProbe
{
  public:
    BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &) override
    {
        auto it = blocks.find({major, minor});
        return it == blocks.end() ? BlockInfo{} : it->second;
    }
    bool isDirectory(const QByteArray &path) override
    {
        asked.push_back(path);
        return !notFolders.count(path);
    }
    std::map<std::pair<unsigned, unsigned>, BlockInfo> blocks;
    std::set<QByteArray> notFolders;
    std::vector<QByteArray> asked;
};

// A desktop: root and EFI partition on NVMe, a bind mount of a home folder, a
// USB stick with a blank in its label, an NFS share, an ISO image, snaps,
// the usual pseudo file systems and the system's tmpfs mounts.
const char kDesktop[] =
    "22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw\n"
    "23 28 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
    "24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev "
    "rw,size=8000000k,nr_inodes=2000000,mode=755\n"
    "25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts "
    "rw,gid=5,mode=620,ptmxmode=000\n"
    "26 28 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755\n"
    "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "29 22 0:6 / /sys/kernel/security rw,nosuid,nodev,noexec,relatime shared:8 - securityfs securityfs rw\n"
    "30 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw\n"
    "31 26 0:26 / /run/lock rw,nosuid,nodev,noexec,relatime shared:6 - tmpfs tmpfs rw,size=5120k\n"
    "32 22 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"
    "33 22 0:28 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:10 - pstore pstore rw\n"
    "34 22 0:29 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:11 - bpf bpf rw,mode=700\n"
    "35 23 0:30 / /proc/sys/fs/binfmt_misc rw,relatime shared:12 - autofs systemd-1 "
    "rw,fd=29,pgrp=1,timeout=0,minproto=5,maxproto=5,direct\n"
    "36 24 0:20 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:14 - mqueue mqueue rw\n"
    "37 24 0:31 / /dev/hugepages rw,relatime shared:15 - hugetlbfs hugetlbfs rw,pagesize=2M\n"
    "38 22 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:16 - debugfs debugfs rw\n"
    "39 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:17 - tracefs tracefs rw\n"
    "40 22 0:32 / /sys/fs/fuse/connections rw,nosuid,nodev,noexec,relatime shared:18 - fusectl fusectl rw\n"
    "41 22 0:33 / /sys/kernel/config rw,nosuid,nodev,noexec,relatime shared:19 - configfs configfs rw\n"
    "42 28 7:1 / /snap/core22/1122 ro,nodev,relatime shared:20 - squashfs /dev/loop1 ro,errors=continue\n"
    "43 28 7:2 / /snap/firefox/3836 ro,nodev,relatime shared:21 - squashfs /dev/loop2 ro,errors=continue\n"
    "44 28 259:1 / /boot/efi rw,relatime shared:22 - vfat /dev/nvme0n1p1 "
    "rw,fmask=0077,dmask=0077,codepage=437,iocharset=iso8859-1,shortname=mixed,errors=remount-ro\n"
    "45 28 0:34 / /tmp rw,nosuid,nodev shared:23 - tmpfs tmpfs rw,size=8000000k\n"
    "46 28 259:2 /home/anna/Видео /srv/video rw,relatime shared:1 - ext4 /dev/nvme0n1p2 "
    "rw,errors=remount-ro\n"
    "47 26 0:35 / /run/user/1000 rw,nosuid,nodev,relatime shared:300 - tmpfs tmpfs "
    "rw,size=1600000k,nr_inodes=400000,mode=700,uid=1000,gid=1000\n"
    "48 47 0:36 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:310 - fuse.gvfsd-fuse gvfsd-fuse "
    "rw,user_id=1000,group_id=1000\n"
    "49 47 0:37 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:320 - fuse.portal portal "
    "rw,user_id=1000,group_id=1000\n"
    "50 28 8:17 / /media/anna/USB\\040STICK rw,nosuid,nodev,relatime shared:330 - vfat /dev/sdb1 "
    "rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=iso8859-1,shortname=mixed,showexec,"
    "utf8,flush,errors=remount-ro\n"
    "51 28 0:38 / /mnt/share rw,relatime shared:340 - nfs4 nas:/export/share "
    "rw,vers=4.2,rsize=1048576,wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,"
    "clientaddr=192.168.1.5,local_lock=none,addr=192.168.1.2\n"
    "52 28 7:3 / /mnt/iso ro,relatime shared:350 - iso9660 /dev/loop3 "
    "ro,nojoliet,check=s,map=n,blocksize=2048,iocharset=utf8\n"
    "53 28 0:38 / /home/anna/share rw,relatime shared:340 - nfs4 nas:/export/share rw,vers=4.2\n"
    "54 28 0:39 / /mnt/ram rw,relatime shared:360 - ramfs ramfs rw\n"
    "55 28 11:0 / /media/anna/DVD ro,nosuid,nodev,relatime shared:370 - udf /dev/sr0 ro,uid=1000\n";

QByteArrayList MountPoints(const std::vector<DriveEntry> &drives)
{
    QByteArrayList out;
    for (const DriveEntry &d : drives)
        out << d.mountPoint;
    return out;
}

} // namespace

TEST(MountInfo, ParsesFieldsOptionalFieldsAndEscapes)
{
    const auto rows = ParseMountInfo(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue\n"
        "garbage line\n"
        "50 28 8:17 /a\\134b /media/x\\040y\\011z rw - vfat /dev/sd\\040b1 rw,uid=1000\n"
        "51 28 0:40 / /mnt/n rw - nfs srv:/e\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 36);
    EXPECT_EQ(rows[0].parentId, 35);
    EXPECT_EQ(rows[0].major, 98u);
    EXPECT_EQ(rows[0].minor, 0u);
    EXPECT_EQ(rows[0].root, "/mnt1");
    EXPECT_EQ(rows[0].mountPoint, "/mnt2");
    EXPECT_EQ(rows[0].mountOptions, "rw,noatime");
    EXPECT_EQ(rows[0].optionalFields, (std::vector<QByteArray>{"master:1", "shared:7"}));
    EXPECT_EQ(rows[0].fsType, "ext3");
    EXPECT_EQ(rows[0].source, "/dev/root");
    EXPECT_EQ(rows[0].superOptions, "rw,errors=continue");
    EXPECT_EQ(rows[1].root, "/a\\b");
    EXPECT_EQ(rows[1].mountPoint, "/media/x y\tz");
    EXPECT_EQ(rows[1].source, "/dev/sd b1");
    EXPECT_TRUE(rows[1].optionalFields.empty());
    EXPECT_EQ(rows[2].superOptions, "");
    // An escape cut short stays as written.
    EXPECT_EQ(UnescapeMountField("/a\\04"), "/a\\04");
    EXPECT_EQ(UnescapeMountField("/a\\0401"), "/a 1");
}

TEST(MountInfo, DesktopKeepsRealDrivesOnly)
{
    FakeProbe probe;
    probe.blocks[{8, 17}] = {true, false};
    probe.blocks[{11, 0}] = {false, true};
    const auto drives = SelectDrives(ParseMountInfo(kDesktop), probe);
    EXPECT_EQ(MountPoints(drives),
              (QByteArrayList{"/", "/boot/efi", "/media/anna/DVD", "/media/anna/USB STICK", "/mnt/iso",
                              "/mnt/ram", "/mnt/share", "/tmp"}));
    std::map<QByteArray, int> types;
    for (const DriveEntry &d : drives)
        types[d.mountPoint] = d.platformType;
    EXPECT_EQ(types["/"], 3);
    EXPECT_EQ(types["/boot/efi"], 3);
    EXPECT_EQ(types["/media/anna/DVD"], 5);
    EXPECT_EQ(types["/media/anna/USB STICK"], 2);
    EXPECT_EQ(types["/mnt/iso"], 5);
    EXPECT_EQ(types["/mnt/ram"], 6);
    EXPECT_EQ(types["/mnt/share"], 4);
    EXPECT_EQ(types["/tmp"], 6);
    const DriveEntry &usb = drives[3];
    EXPECT_EQ(usb.device, "/dev/sdb1");
    EXPECT_EQ(usb.fsType, "vfat");
    EXPECT_EQ(usb.major, 8u);
    EXPECT_EQ(usb.minor, 17u);
    EXPECT_TRUE(usb.label.isEmpty());
    // The share is never touched to see whether it is a folder.
    EXPECT_EQ(std::count(probe.asked.begin(), probe.asked.end(), QByteArray("/mnt/share")), 0);
    EXPECT_EQ(std::count(probe.asked.begin(), probe.asked.end(), QByteArray("/home/anna/share")), 0);
}

TEST(MountInfo, BindMountsAndSecondMountsOfOneFileSystemAreDropped)
{
    FakeProbe probe;
    const auto drives = SelectDrives(ParseMountInfo("1 0 8:1 / /srv/data/deep rw - ext4 /dev/sda1 rw\n"
                                                    "2 0 8:1 / /data rw - ext4 /dev/sda1 rw\n"
                                                    "3 0 8:1 /sub /other rw - ext4 /dev/sda1 rw\n"
                                                    "4 0 0:50 /@ / rw - btrfs /dev/sda2 rw\n"
                                                    "5 0 0:50 /@home /home rw - btrfs /dev/sda2 rw\n"
                                                    "6 0 0:50 /@home/anna/x /x rw - btrfs /dev/sda2 rw\n"),
                                     probe);
    // The shorter mount point of a file system mounted twice stays; a bind of a
    // part of a shown file system goes; btrfs subvolumes are drives of their own.
    EXPECT_EQ(MountPoints(drives), (QByteArrayList{"/", "/data", "/home"}));
}

TEST(MountInfo, ContainerRootAndHiddenMounts)
{
    FakeProbe probe;
    probe.notFolders = {"/etc/hosts", "/etc/resolv.conf"};
    const auto drives = SelectDrives(
        ParseMountInfo(
            "600 500 0:60 / / rw,relatime - overlay overlay rw,lowerdir=/l,upperdir=/u,workdir=/w\n"
            "601 600 0:61 / /proc rw - proc proc rw\n"
            "602 600 0:62 / /dev rw - tmpfs tmpfs rw,size=65536k\n"
            "603 600 8:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
            "604 600 8:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw - ext4 /dev/sda1 rw\n"
            "605 600 8:1 /home/u/project /work rw - ext4 /dev/sda1 rw\n"
            "606 600 0:63 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
            "607 600 0:70 / /mnt/auto rw - autofs /etc/auto.misc rw\n"
            "608 607 0:71 / /mnt/auto rw - cifs //srv/pub rw\n"),
        probe);
    ASSERT_EQ(MountPoints(drives), (QByteArrayList{"/", "/mnt/auto", "/work"}));
    EXPECT_EQ(drives[0].platformType, 3);
    EXPECT_EQ(drives[0].fsType, "overlay");
    EXPECT_EQ(drives[1].platformType, 4);
    EXPECT_EQ(drives[2].platformType, 3);
}

TEST(MountInfo, AtMostOneHundredDrives)
{
    QByteArray text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    for (int i = 0; i < 150; ++i)
        text += QByteArray::number(i + 2) + " 1 0:" + QByteArray::number(100 + i) + " / /mnt/r" +
                QByteArray::number(1000 + i) + " rw - tmpfs tmpfs rw\n";
    FakeProbe probe;
    const auto drives = SelectDrives(ParseMountInfo(text), probe);
    ASSERT_EQ(drives.size(), 100u);
    EXPECT_EQ(drives.front().mountPoint, "/");
    EXPECT_EQ(drives.back().mountPoint, "/mnt/r1098");
}

TEST(MountTableText, DriveTextShowsTheLabelInBrackets)
{
    DriveEntry d;
    d.mountPoint = "/media/anna/USB STICK";
    EXPECT_EQ(DriveText(d), QStringLiteral("/media/anna/USB STICK"));
    d.label = QStringLiteral("Флешка");
    EXPECT_EQ(DriveText(d), QStringLiteral("/media/anna/USB STICK [Флешка]"));
}

TEST(MountTableText, ReadinessErrors)
{
    EXPECT_EQ(ReadinessError(0), 0);
    EXPECT_EQ(ReadinessError(EACCES), 0);
    for (int err : {ENOMEDIUM, ENODEV, ENXIO, ESTALE, ENOTCONN, EIO, ENOENT, EHOSTDOWN})
        EXPECT_EQ(ReadinessError(err), kErrDeviceUnavailable) << err;
}

TEST(LinuxMountTableTest, ReadsACapturedTableAndChecksReadiness)
{
    LinuxMountTable table;
    const auto drives = table.drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().mountPoint, "/");
    EXPECT_NO_THROW(table.checkReady("/"));
    try {
        table.checkReady("/no/such/mount/point");
        FAIL() << "no error";
    } catch (const VsError &e) {
        EXPECT_EQ(e.number, kErrDeviceUnavailable);
    }
}
