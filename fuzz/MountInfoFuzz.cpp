// Any text as /proc/self/mountinfo: the parser and the drive rules never
// crash, never list more than the limit, and keep their order.
#include "drives/MountInfo.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace
{

// Answers from the path's bytes, so the same input always gives the same drives.
class BytesProbe final : public vs::DeviceProbe
{
  public:
    BlockInfo blockInfo(unsigned major, unsigned minor, const QByteArray &) override
    {
        return {bool((major ^ minor) & 1), bool(minor & 2)};
    }
    bool isDirectory(const QByteArray &path) override { return path.size() % 5 != 4; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<vs::MountInfoRow> rows = vs::ParseMountInfo(text);
    for (const vs::MountInfoRow &r : rows) {
        // Escapes only ever shorten a field.
        if (vs::UnescapeMountField(r.mountPoint).size() > r.mountPoint.size())
            std::abort();
    }
    BytesProbe probe;
    const std::vector<vs::DriveEntry> drives = vs::SelectDrives(rows, probe);
    if (drives.size() > size_t(vs::kMaxDrives))
        std::abort();
    for (size_t i = 1; i < drives.size(); ++i) {
        if (drives[i - 1].mountPoint > drives[i].mountPoint)
            std::abort();
    }
    return 0;
}
