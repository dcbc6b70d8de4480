// Shows the drive overview for a look or a screenshot:
//   drives_overview_demo [seconds] [--sample]
// With --sample it shows a desktop's drives (root, EFI partition, a USB stick,
// a DVD, an NFS share that does not answer, a RAM disk) instead of this machine's.
#include "drives/frmSplash.h"
#include "support/FakeMountTable.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <thread>

using namespace vs;

namespace
{

// A desktop's drives, in the mount table the tests use.
void AddSampleDrives(test::FakeMountTable &mounts)
{
    auto d = [&](const char *mp, const char *dev, const char *fs, int type, const char *label) {
        DriveEntry &e = mounts.add(mp, QString::fromUtf8(label));
        e.device = dev;
        e.fsType = fs;
        e.platformType = type;
    };
    d("/", "/dev/nvme0n1p2", "ext4", 3, "");
    d("/boot/efi", "/dev/nvme0n1p1", "vfat", 3, "EFI");
    d("/media/anna/DVD", "/dev/sr0", "udf", 5, "Отпуск 2024");
    d("/media/anna/USB STICK", "/dev/sdb1", "vfat", 2, "STICK");
    d("/mnt/share", "nas:/export/share", "nfs4", 4, "");
    d("/tmp", "tmpfs", "tmpfs", 6, "");
}

class SampleReader : public VolumeReader
{
  public:
    VolumeInfo read(const DriveEntry &drive) override
    {
        VolumeInfo v;
        v.answered = true;
        v.fileSystemName = QString::fromUtf8(drive.fsType);
        v.volumeName = drive.label;
        if (drive.mountPoint == "/") {
            v = fill(v, 1006978985984ULL, 382712205312ULL, 331486773248ULL, 0x1b4e28ba);
        } else if (drive.mountPoint == "/boot/efi") {
            v = fill(v, 535805952ULL, 529260544ULL, 529260544ULL, 0x4A1F9C2Eu);
        } else if (drive.mountPoint == "/media/anna/DVD") {
            v = fill(v, 4683595776ULL, 0, 0, 0x20240812u);
        } else if (drive.mountPoint == "/media/anna/USB STICK") {
            v = fill(v, 31000166400ULL, 21718532096ULL, 21718532096ULL, 0xABCD1234u);
        } else if (drive.mountPoint == "/mnt/share") {
            std::this_thread::sleep_for(std::chrono::hours(1)); // a share that stopped answering
        } else {
            v = fill(v, 16647860224ULL, 16402591744ULL, 16402591744ULL, 0);
        }
        return v;
    }

  private:
    static VolumeInfo fill(VolumeInfo v, uint64_t total, uint64_t free, uint64_t available, uint32_t serial)
    {
        v.totalBytes = total;
        v.freeBytes = free;
        v.availableBytes = available;
        v.serial = serial;
        return v;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool sample = args.contains(QStringLiteral("--sample"));
    int seconds = 0;
    for (const QString &a : args.mid(1))
        if (a.toInt() > 0)
            seconds = a.toInt();

    static test::FakeMountTable sampleMounts;
    if (sample)
        AddSampleDrives(sampleMounts);
    static TimedVolumeQuery sampleQuery(std::make_shared<SampleReader>());
    MountTable &mounts = sample ? static_cast<MountTable &>(sampleMounts) : DefaultMountTable();
    VolumeQuery &query = sample ? static_cast<VolumeQuery &>(sampleQuery) : DefaultVolumeQuery();
    const std::vector<DriveEntry> list = mounts.drives();
    const QString current =
        list.empty() ? QStringLiteral("/") : DriveText(sample && list.size() > 3 ? list[3] : list.front());

    QPointer<frmSplash> w = new frmSplash(mounts, query);
    w->open(current);
    QObject::connect(w, &QObject::destroyed, &app, &QCoreApplication::quit);
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    const int rc = app.exec();
    std::_Exit(rc); // a worker may still sit on the share that does not answer
}
