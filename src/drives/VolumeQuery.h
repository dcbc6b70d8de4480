// What the drive overview shows of one drive: the three counts of statvfs,
// the file-system name from the mount table, the volume name and serial
// number from the device. A drive that fails or does not answer within the
// time limit gives the values set before the query: counts 0, empty names,
// serial 0.
#pragma once

#include "drives/MountTable.h"
#include "fs/TimeLimit.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace vs
{

struct VolumeInfo {
    uint64_t availableBytes = 0; // free to this user (f_bavail)
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    QString fileSystemName;
    QString volumeName;
    uint32_t serial = 0;
    bool answered = false;
};

// Reads one drive; may block for as long as the drive makes it.
class VolumeReader
{
  public:
    virtual ~VolumeReader() = default;
    virtual VolumeInfo read(const DriveEntry &drive) = 0;
};

class LinuxVolumeReader final : public VolumeReader
{
  public:
    VolumeInfo read(const DriveEntry &drive) override;
};

// Never blocks for longer than its limit.
class VolumeQuery
{
  public:
    virtual ~VolumeQuery() = default;
    // All drives at once, under one deadline.
    virtual std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) = 0;
    VolumeInfo query(const DriveEntry &drive) { return queryAll({drive}).front(); }
};

class TimedVolumeQuery final : public VolumeQuery
{
  public:
    explicit TimedVolumeQuery(std::shared_ptr<VolumeReader> reader,
                              std::chrono::milliseconds limit = kDriveTimeLimit);
    std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) override;

  private:
    std::shared_ptr<VolumeReader> reader_;
    std::chrono::milliseconds limit_;
};

// statvfs and libblkid on this machine, two seconds a look.
VolumeQuery &DefaultVolumeQuery();

// The 32-bit serial number of a volume from its UUID: a FAT or exFAT serial
// "ABCD-1234" is 0xABCD1234; NTFS's 64-bit serial gives its low 32 bits,
// the number Windows shows for the same volume; any other UUID its first 32
// bits. No hex digits: 0.
uint32_t SerialFromUuid(const QByteArray &uuid, const QByteArray &fsType);

} // namespace vs
