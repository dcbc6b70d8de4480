#include "drives/MountInfo.h"

#include <QList>
#include <algorithm>
#include <map>

namespace vs
{

namespace
{

// True when path is dir itself or lies below it.
bool IsAtOrBelow(const QByteArray &path, const char *dir)
{
    const QByteArray d(dir);
    return path == d || path.startsWith(d + '/');
}

bool IsInside(const QByteArray &inner, const QByteArray &outer)
{
    if (outer == "/" || inner == outer)
        return true;
    return inner.startsWith(outer + '/');
}

bool OneOf(const QByteArray &value, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char *n) { return value == n; });
}

enum class Kind { Drop, Block, Network, Ram, Local };

Kind Classify(const MountInfoRow &row)
{
    const QByteArray &mp = row.mountPoint;
    const QByteArray &fs = row.fsType;
    const bool isRoot = mp == "/";

    if (!isRoot && (IsAtOrBelow(mp, "/proc") || IsAtOrBelow(mp, "/sys") || IsAtOrBelow(mp, "/dev")))
        return Kind::Drop;
    // Kernel and helper file systems; never drives even if someone mounts
    // one elsewhere.
    if (OneOf(fs, {"proc",
                   "sysfs",
                   "cgroup",
                   "cgroup2",
                   "devpts",
                   "devtmpfs",
                   "mqueue",
                   "debugfs",
                   "tracefs",
                   "securityfs",
                   "pstore",
                   "bpf",
                   "configfs",
                   "fusectl",
                   "hugetlbfs",
                   "autofs",
                   "binfmt_misc",
                   "efivarfs",
                   "selinuxfs",
                   "nsfs",
                   "rpc_pipefs",
                   "nfsd",
                   "fuse.gvfsd-fuse",
                   "fuse.portal",
                   "fuse.lxcfs",
                   "fuse.snapfuse",
                   "fuse.xdg-document-portal"}))
        return Kind::Drop;
    if (IsNetworkFileSystem(fs))
        return Kind::Network;
    if (fs == "tmpfs" || fs == "ramfs") {
        if (!isRoot && IsAtOrBelow(mp, "/run"))
            return Kind::Drop;
        return Kind::Ram;
    }
    if (isRoot)
        return row.source.startsWith("/dev/") ? Kind::Block : Kind::Local;
    if (fs == "squashfs" || fs == "overlay" || fs == "aufs" || fs == "fuse-overlayfs" ||
        fs == "fuse.fuse-overlayfs")
        return Kind::Drop;
    if (row.source.startsWith("/dev/"))
        return Kind::Block;
    if (fs == "zfs" || fs == "bcachefs")
        return Kind::Local;
    return Kind::Drop;
}

} // namespace

bool IsNetworkFileSystem(const QByteArray &fs)
{
    return OneOf(fs, {"nfs",        "nfs4",        "cifs",           "smb3",         "smbfs",
                      "ncpfs",      "sshfs",       "fuse.sshfs",     "9p",           "ceph",
                      "fuse.ceph",  "glusterfs",   "fuse.glusterfs", "afs",          "davfs",
                      "fuse.davfs", "fuse.rclone", "fuse.s3fs",      "fuse.gcsfuse", "fuse.curlftpfs",
                      "lustre",     "beegfs",      "fuse.juicefs",   "virtiofs"});
}

std::vector<DriveEntry> SelectDrives(const std::vector<MountInfoRow> &rows, DeviceProbe &probe)
{
    // A later mount on the same point hides the earlier one.
    std::map<QByteArray, size_t> visible;
    for (size_t i = 0; i < rows.size(); ++i)
        visible[rows[i].mountPoint] = i;

    struct Candidate {
        size_t index;
        Kind kind;
    };
    std::vector<Candidate> candidates;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (visible[rows[i].mountPoint] != i)
            continue;
        const Kind kind = Classify(rows[i]);
        if (kind != Kind::Drop)
            candidates.push_back({i, kind});
    }

    // Shortest folder first, then shortest mount point, then table order: the
    // first mount of a file system seen this way is the one to keep.
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Candidate &a, const Candidate &b) {
        const MountInfoRow &ra = rows[a.index], &rb = rows[b.index];
        if (ra.root.size() != rb.root.size())
            return ra.root.size() < rb.root.size();
        return ra.mountPoint.size() < rb.mountPoint.size();
    });

    std::vector<DriveEntry> drives;
    std::vector<const MountInfoRow *> kept;
    for (const Candidate &c : candidates) {
        const MountInfoRow &row = rows[c.index];
        const bool duplicate = std::any_of(kept.begin(), kept.end(), [&](const MountInfoRow *k) {
            return k->major == row.major && k->minor == row.minor && IsInside(row.root, k->root);
        });
        if (duplicate)
            continue;
        const bool isRoot = row.mountPoint == "/";
        if (!isRoot && c.kind != Kind::Network && !probe.isDirectory(row.mountPoint))
            continue;

        DriveEntry d;
        d.mountPoint = row.mountPoint;
        d.device = row.source;
        d.fsType = row.fsType;
        d.major = row.major;
        d.minor = row.minor;
        d.root = row.root;
        switch (c.kind) {
        case Kind::Network:
            d.platformType = 4;
            break;
        case Kind::Ram:
            d.platformType = 6;
            break;
        case Kind::Block: {
            const DeviceProbe::BlockInfo info = probe.blockInfo(row.major, row.minor, row.source);
            if (info.optical || row.fsType == "iso9660" || row.fsType == "udf")
                d.platformType = 5;
            else if (info.removable)
                d.platformType = 2;
            else
                d.platformType = 3;
            break;
        }
        default:
            d.platformType = 3;
            break;
        }
        kept.push_back(&row);
        drives.push_back(std::move(d));
    }

    std::sort(drives.begin(), drives.end(),
              [](const DriveEntry &a, const DriveEntry &b) { return a.mountPoint < b.mountPoint; });
    if (drives.size() > size_t(kMaxDrives))
        drives.resize(kMaxDrives);
    return drives;
}

} // namespace vs
