#include "drives/VolumeQuery.h"

#include "drives/Blkid.h"

#include <sys/statvfs.h>

namespace vs
{

namespace
{

uint64_t Times(uint64_t count, uint64_t unit)
{
    uint64_t result = 0;
    if (__builtin_mul_overflow(count, unit, &result))
        return UINT64_MAX;
    return result;
}

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

uint32_t SerialFromUuid(const QByteArray &uuid, const QByteArray &fsType)
{
    QByteArray hex;
    for (char c : uuid)
        if (IsHex(c))
            hex += c;
    if (hex.isEmpty())
        return 0;
    if (fsType == "ntfs" || fsType == "ntfs3") {
        if (hex.size() > 8)
            hex = hex.right(8);
    } else {
        hex = hex.left(8);
    }
    bool ok = false;
    const uint32_t value = hex.toUInt(&ok, 16);
    return ok ? value : 0;
}

VolumeInfo LinuxVolumeReader::read(const DriveEntry &drive)
{
    VolumeInfo info;
    struct statvfs sv {
    };
    if (::statvfs(drive.mountPoint.constData(), &sv) != 0)
        return info;
    const uint64_t unit = sv.f_frsize ? sv.f_frsize : sv.f_bsize;
    info.availableBytes = Times(sv.f_bavail, unit);
    info.totalBytes = Times(sv.f_blocks, unit);
    info.freeBytes = Times(sv.f_bfree, unit);
    info.fileSystemName = QString::fromUtf8(drive.fsType);
    if (drive.device.startsWith("/dev/")) {
        const VolumeTags tags = ProbeVolume(drive.device, drive.major, drive.minor);
        info.volumeName = tags.label;
        // fuseblk says only that a FUSE driver reads a block device.
        const QByteArray type = drive.fsType == "fuseblk" && !tags.type.isEmpty() ? tags.type : drive.fsType;
        info.fileSystemName = QString::fromUtf8(type);
        info.serial = SerialFromUuid(tags.uuid, tags.type.isEmpty() ? type : tags.type);
    }
    info.answered = true;
    return info;
}

TimedVolumeQuery::TimedVolumeQuery(std::shared_ptr<VolumeReader> reader, std::chrono::milliseconds limit)
    : reader_(std::move(reader)), limit_(limit)
{
}

std::vector<VolumeInfo> TimedVolumeQuery::queryAll(const std::vector<DriveEntry> &drives)
{
    std::vector<TimedJob<VolumeInfo>> jobs;
    for (const DriveEntry &d : drives)
        jobs.push_back({d.mountPoint, [reader = reader_, d]() { return reader->read(d); }});
    const auto results = RunAllWithTimeLimit<VolumeInfo>(std::move(jobs), limit_);
    std::vector<VolumeInfo> out;
    out.reserve(results.size());
    for (const auto &r : results)
        out.push_back(r ? *r : VolumeInfo{});
    return out;
}

VolumeQuery &DefaultVolumeQuery()
{
    static TimedVolumeQuery query(std::make_shared<LinuxVolumeReader>());
    return query;
}

} // namespace vs
