#include "drives/LinuxMountTable.h"

#include "drives/Blkid.h"
#include "fs/TimeLimit.h"
#include "util/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace vs
{

namespace
{

QByteArray ReadSmallFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096).trimmed();
}

} // namespace

DeviceProbe::BlockInfo SysfsDeviceProbe::blockInfo(unsigned major, unsigned minor, const QByteArray &source)
{
    BlockInfo info;
    // btrfs and a few others report an anonymous device; the source names the real one.
    if (major == 0) {
        struct stat st {
        };
        if (::stat(source.constData(), &st) != 0 || !S_ISBLK(st.st_mode))
            return info;
        major = ::major(st.st_rdev);
        minor = ::minor(st.st_rdev);
    }
    const QString link = QStringLiteral("/sys/dev/block/%1:%2").arg(major).arg(minor);
    QString dev = QFileInfo(link).canonicalFilePath();
    if (dev.isEmpty())
        return info;
    if (QFileInfo::exists(dev + QStringLiteral("/partition")))
        dev = QFileInfo(dev).path(); // the whole disk holds the flags
    const QString name = QFileInfo(dev).fileName();
    info.optical = major == 11 || name.startsWith(QLatin1String("sr"));
    info.removable = ReadSmallFile(dev + QStringLiteral("/removable")) == "1" ||
                     dev.contains(QLatin1String("/usb"))
                     // SD cards say so only through their card type; soldered eMMC says "MMC".
                     || (name.startsWith(QLatin1String("mmcblk")) &&
                         ReadSmallFile(dev + QStringLiteral("/device/type")) == "SD");
    return info;
}

bool SysfsDeviceProbe::isDirectory(const QByteArray &path)
{
    struct stat st {
    };
    // A mount point that cannot be looked at (no permission) is still a drive.
    if (::stat(path.constData(), &st) != 0)
        return errno == EACCES || errno == EPERM;
    return S_ISDIR(st.st_mode);
}

TimeLimitedDeviceProbe::TimeLimitedDeviceProbe(DeviceProbe &inner, const std::vector<MountInfoRow> &rows,
                                               std::chrono::milliseconds limit, const Look &look)
    : inner_(inner)
{
    std::vector<TimedJob<bool>> jobs;
    for (const MountInfoRow &row : rows) {
        const QByteArray &mp = row.mountPoint;
        // Network shares are never looked at, and the kernel's own folders are
        // never drives.
        if (IsNetworkFileSystem(row.fsType) || mp.startsWith("/proc/") || mp.startsWith("/sys/") ||
            mp.startsWith("/dev/") || mp == "/proc" || mp == "/sys" || mp == "/dev")
            continue;
        answers_.emplace_back(mp, true);
        jobs.push_back({"dir:" + mp, [look, mp]() { return look(mp); }});
    }
    const auto results = RunAllWithTimeLimit<bool>(std::move(jobs), limit);
    for (size_t i = 0; i < results.size(); ++i)
        if (results[i])
            answers_[i].second = *results[i];
}

DeviceProbe::BlockInfo TimeLimitedDeviceProbe::blockInfo(unsigned major, unsigned minor,
                                                         const QByteArray &source)
{
    return inner_.blockInfo(major, minor, source);
}

bool TimeLimitedDeviceProbe::isDirectory(const QByteArray &path)
{
    for (const auto &[mountPoint, folder] : answers_)
        if (mountPoint == path)
            return folder;
    return true;
}

LinuxMountTable::LinuxMountTable(QByteArray mountInfoPath, std::chrono::milliseconds limit)
    : path_(std::move(mountInfoPath)), limit_(limit)
{
}

std::vector<DriveEntry> LinuxMountTable::drives()
{
    QFile f(QFile::decodeName(path_));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = f.readAll();
    const std::vector<MountInfoRow> rows = ParseMountInfo(text);
    SysfsDeviceProbe sysfs;
    TimeLimitedDeviceProbe probe(sysfs, rows, limit_,
                                 [](const QByteArray &mp) { return SysfsDeviceProbe().isDirectory(mp); });
    std::vector<DriveEntry> list = SelectDrives(rows, probe);

    std::vector<TimedJob<QString>> jobs;
    std::vector<size_t> owners;
    for (size_t i = 0; i < list.size(); ++i) {
        const DriveEntry &d = list[i];
        if (!d.device.startsWith("/dev/"))
            continue;
        owners.push_back(i);
        jobs.push_back({"probe:" + d.device, [dev = d.device, major = d.major, minor = d.minor]() {
                            return ProbeVolume(dev, major, minor).label;
                        }});
    }
    const auto labels = RunAllWithTimeLimit<QString>(std::move(jobs), limit_);
    for (size_t j = 0; j < owners.size(); ++j)
        if (labels[j])
            list[owners[j]].label = *labels[j];
    return list;
}

int ReadinessError(int err)
{
    switch (err) {
    case 0:
    case EACCES:
    case EPERM:
        return 0;
    default:
        return kErrDeviceUnavailable;
    }
}

void LinuxMountTable::checkReady(const QByteArray &mountPoint)
{
    const auto err = RunWithTimeLimit<int>(
        mountPoint,
        [mountPoint]() {
            struct statvfs sv {
            };
            if (::statvfs(mountPoint.constData(), &sv) != 0)
                return errno == EACCES || errno == EPERM ? 0 : (errno ? errno : EIO);
            DIR *dir = ::opendir(mountPoint.constData());
            if (!dir)
                return errno;
            ::closedir(dir);
            return 0;
        },
        limit_);
    if (!err || ReadinessError(*err) != 0)
        throw MakeError(kErrDeviceUnavailable);
}

QString DriveText(const DriveEntry &drive)
{
    QString text = QFile::decodeName(drive.mountPoint);
    if (!drive.label.isEmpty())
        text += QStringLiteral(" [") + drive.label + QLatin1Char(']');
    return text;
}

MountTable &DefaultMountTable()
{
    static LinuxMountTable table;
    return table;
}

} // namespace vs
