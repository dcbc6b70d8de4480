// The machine's own mount table: /proc/self/mountinfo read afresh at every
// look, filtered by SelectDrives, labels from the devices. Every call that
// touches a drive runs under the time limit, so a dead share cannot hang the
// interface.
#pragma once

#include "drives/MountInfo.h"
#include "drives/MountTable.h"

#include <chrono>

namespace vs
{

class SysfsDeviceProbe final : public DeviceProbe
{
  public:
    BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &source) override;
    bool isDirectory(const QByteArray &path) override;
};

class LinuxMountTable final : public MountTable
{
  public:
    explicit LinuxMountTable(QByteArray mountInfoPath = "/proc/self/mountinfo",
                             std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    std::vector<DriveEntry> drives() override;
    void checkReady(const QByteArray &mountPoint) override;

  private:
    QByteArray path_;
    std::chrono::milliseconds limit_;
};

// What a failed look at a drive means: 0 when the drive is there (a folder
// the user may not read is still a drive), else the error number (68).
int ReadinessError(int err);

} // namespace vs
