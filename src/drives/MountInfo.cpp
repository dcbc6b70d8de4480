#include "drives/MountInfo.h"

#include <QList>
#include <algorithm>
#include <map>

namespace vs
{

namespace
{

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

bool ParseUnsigned(const QByteArray &text, unsigned &value)
{
    bool ok = false;
    value = text.toUInt(&ok, 10);
    return ok;
}

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

QByteArray UnescapeMountField(const QByteArray &field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<MountInfoRow> ParseMountInfo(const QByteArray &text)
{
    std::vector<MountInfoRow> rows;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> f = line.split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype sep = f.indexOf(QByteArray("-"), 6);
        if (sep < 6 || f.size() < sep + 3)
            continue;
        MountInfoRow row;
        bool okId = false, okParent = false;
        row.id = f[0].toInt(&okId);
        row.parentId = f[1].toInt(&okParent);
        const qsizetype colon = f[2].indexOf(':');
        if (!okId || !okParent || colon < 0 || !ParseUnsigned(f[2].left(colon), row.major) ||
            !ParseUnsigned(f[2].mid(colon + 1), row.minor))
            continue;
        row.root = UnescapeMountField(f[3]);
        row.mountPoint = UnescapeMountField(f[4]);
        row.mountOptions = f[5];
        for (qsizetype i = 6; i < sep; ++i)
            row.optionalFields.push_back(f[i]);
        row.fsType = UnescapeMountField(f[sep + 1]);
        row.source = UnescapeMountField(f[sep + 2]);
        row.superOptions = f.size() > sep + 3 ? UnescapeMountField(f[sep + 3]) : QByteArray();
        if (row.mountPoint.isEmpty() || row.mountPoint[0] != '/')
            continue;
        rows.push_back(std::move(row));
    }
    return rows;
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
