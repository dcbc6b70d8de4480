// Drives are the mount points of real file systems: block devices, removable
// and optical media, network shares and RAM disks; never the kernel's pseudo
// file systems nor a second mount of the same file system. At most 100.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vs
{

struct DriveEntry {
    QByteArray mountPoint; // the drive's root, as the mount table spells it
    QByteArray device;     // mount source: "/dev/sda1", "server:/export", "tmpfs"
    QByteArray fsType;     // file-system type from the mount table
    int platformType = 0;  // 0 unknown, 2 removable, 3 fixed, 4 network, 5 optical, 6 RAM disk
    QString label;         // volume label, empty when there is none
    unsigned major = 0;    // device numbers of the mounted file system
    unsigned minor = 0;
    QByteArray root; // the folder of the file system seen at mountPoint
};

class MountTable
{
  public:
    virtual ~MountTable() = default;
    virtual std::vector<DriveEntry> drives() = 0;
    // Throws VsError 68 when the drive cannot be opened now (no medium, an
    // unreachable share, a stale or vanished mount). Never blocks for long.
    virtual void checkReady(const QByteArray &mountPoint) = 0;
};

// The drive list box's text: the mount point, then " [label]" when there is a label.
QString DriveText(const DriveEntry &drive);

// The real mount table of this machine.
MountTable &DefaultMountTable();

} // namespace vs
