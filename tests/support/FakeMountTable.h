// A mount table for tests: a fixed list of drives, some of which can be made
// not ready (error 68) or fail with another number.
#pragma once

#include "drives/MountTable.h"
#include "util/Errors.h"

#include <map>

namespace vs::test
{

class FakeMountTable : public MountTable
{
  public:
    DriveEntry &add(const QByteArray &mountPoint, const QString &label = {})
    {
        DriveEntry d;
        d.mountPoint = mountPoint;
        d.device = "/dev/fake";
        d.fsType = "ext4";
        d.platformType = 3;
        d.label = label;
        entries.push_back(d);
        return entries.back();
    }
    std::vector<DriveEntry> drives() override { return entries; }
    void checkReady(const QByteArray &mountPoint) override
    {
        checked.push_back(mountPoint);
        const auto it = failures.find(mountPoint);
        if (it != failures.end())
            throw MakeError(it->second, QStringLiteral("FakeMountTable"));
    }

    std::vector<DriveEntry> entries;
    std::map<QByteArray, int> failures; // mount point -> error number
    std::vector<QByteArray> checked;
};

} // namespace vs::test
