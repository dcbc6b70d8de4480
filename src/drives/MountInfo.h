// Which mounts are drives. The kernel's mount table lists far more than a
// user thinks of as a drive: pseudo file systems, the runtime tmpfs mounts of
// the system, snap images, container layers and every bind mount again. The
// rules are kept in one pure function over the table's text so they can be
// checked on tables captured from real machines:
//
//  - kept: file systems on block devices (/dev/...), network shares, RAM
//    disks (tmpfs, ramfs) the user mounted, optical images, ZFS datasets;
//  - always kept: whatever is mounted at "/", even an overlay or a rootfs
//    (a container's root), so the current folder always lies on a drive;
//  - dropped: everything below /proc, /sys and /dev (the kernel's and udev's
//    own mounts, /dev/shm), tmpfs below /run (runtime folders of the system
//    and of each logged-in user), squashfs images (snap packages: read-only
//    and always full, never where the space went), overlay layers other than
//    "/", and all pseudo and helper file systems (proc, sysfs, cgroup, devpts,
//    autofs triggers, desktop fuse helpers, ...); a mount point that is not
//    a folder (a container's bind-mounted /etc/hosts);
//  - a mount hidden by a later mount on the same point is dropped, and of the
//    mounts that show the same file system (same device numbers), one whose
//    folder lies inside a folder already shown is dropped as a duplicate: the
//    mount with the shortest folder, then the shortest mount point, stays;
//  - sorted by mount point, so "/" comes first; at most 100.
#pragma once

#include "drives/MountTable.h"
#include "fs/MountInfoParser.h"

#include <QByteArray>
#include <vector>

namespace vs
{

// What the drive rules need to ask the machine.
class DeviceProbe
{
  public:
    struct BlockInfo {
        bool removable = false; // removable flag of the disk, or on a USB bus
        bool optical = false;   // an sr (CD/DVD/BD) device
    };
    virtual ~DeviceProbe() = default;
    virtual BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &source) = 0;
    // Local paths only; network mounts are never asked (they may hang).
    virtual bool isDirectory(const QByteArray &path) = 0;
};

constexpr int kMaxDrives = 100;

// Drives among the rows (labels are left empty: they need the devices).
std::vector<DriveEntry> SelectDrives(const std::vector<MountInfoRow> &rows, DeviceProbe &probe);

bool IsNetworkFileSystem(const QByteArray &fsType);

} // namespace vs
