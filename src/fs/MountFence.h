// The mount points a walk must never open or even look at: below the folder
// being walked, those that hold another file system than the folder's own (a
// FUSE file system whose daemon hangs, a dropped network share) or a kernel
// pseudo file system. The kernel's mount table names them; the walk asks by
// the folder it is reading and an entry's name, so it never touches them.
#pragma once

#include <QByteArray>
#include <sys/types.h>
#include <vector>

namespace vs
{

class MountFence
{
  public:
    // Fences nothing.
    MountFence() = default;

    // The fence for a walk of `root` (absolute, as the mount table spells it)
    // whose file system is `rootDev`, from the mount table's text
    // (/proc/self/mountinfo format). The folders holding the fenced mount
    // points are stat'ed under the drive time limit; one that does not answer
    // leaves its mount points out.
    static MountFence Below(const QByteArray &root, dev_t rootDev, const QByteArray &mountInfoText);
    // The same from this process's own mount table; `root` may be relative
    // or hold symbolic links.
    static MountFence ForWalk(const QByteArray &root, dev_t rootDev);
    // The same for the folder open as `dirFd` (its path comes from the
    // kernel's record of the descriptor, so nothing on a disk is looked at).
    static MountFence ForFolder(int dirFd, dev_t rootDev);

    // The mount points Below() fences, in table order: strictly below root,
    // visible (not mounted over), of another device than both rootDev and
    // the mount holding root or of a pseudo file system, and not inside
    // another fenced one (the walk never gets there, and looking there
    // could block).
    static std::vector<QByteArray> MountPointsToFence(const QByteArray &root, dev_t rootDev,
                                                      const QByteArray &mountInfoText);

    // True when `name` inside the folder with identity (dev, ino) is a fenced
    // mount point: the walk neither opens nor stats it.
    bool fenced(dev_t folderDev, ino_t folderIno, const char *name) const;
    bool empty() const { return points_.empty(); }
    size_t size() const { return points_.size(); }

  private:
    struct Point {
        dev_t parentDev = 0;
        ino_t parentIno = 0;
        QByteArray name;
    };
    std::vector<Point> points_;
};

// This process's mount table (/proc/self/mountinfo), empty when unreadable.
QByteArray ReadOwnMountTable();

} // namespace vs
