// The machine's own mount table: /proc/self/mountinfo read afresh at every
// look, filtered by SelectDrives, labels from the devices. Every call that
// touches a drive runs under the time limit, so a dead share cannot hang the
// interface.
#pragma once

#include "drives/MountInfo.h"
#include "drives/MountTable.h"

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace vs
{

class SysfsDeviceProbe final : public DeviceProbe
{
  public:
    BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &source) override;
    bool isDirectory(const QByteArray &path) override;
};

// Answers isDirectory from looks made beforehand, all at once and under one
// time limit, so a mount that does not answer (a FUSE file system whose daemon
// stopped, a dropped share) costs the limit once instead of holding the
// interface thread. A mount point that gave no answer counts as a folder: the
// drive is listed, and its queries say it is unavailable.
class TimeLimitedDeviceProbe final : public DeviceProbe
{
  public:
    // `look` runs on worker threads that may outlive this probe (a stuck one
    // ends whenever the kernel lets it), so it must own whatever it uses.
    using Look = std::function<bool(const QByteArray &mountPoint)>;
    TimeLimitedDeviceProbe(DeviceProbe &inner, const std::vector<MountInfoRow> &rows,
                           std::chrono::milliseconds limit, const Look &look);
    BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &source) override;
    bool isDirectory(const QByteArray &path) override;

  private:
    DeviceProbe &inner_;
    std::vector<std::pair<QByteArray, bool>> answers_;
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
