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

    // The fence for a walk of `root` (absolute) whose file system is `rootDev`,
    // from the mount table's text (/proc/self/mountinfo format).
    static MountFence Below(const QByteArray &root, dev_t rootDev, const QByteArray &mountInfoText);
    // The same from this process's own mount table.
    static MountFence ForWalk(const QByteArray &root, dev_t rootDev);

    // True when `name` inside the folder with identity (dev, ino) is a fenced
    // mount point: the walk neither opens nor stats it.
    bool fenced(dev_t folderDev, ino_t folderIno, const char *name) const;
    bool empty() const { return points_.empty(); }

  private:
    struct Point {
        dev_t parentDev = 0;
        ino_t parentIno = 0;
        QByteArray name;
    };
    std::vector<Point> points_;
};

} // namespace vs
