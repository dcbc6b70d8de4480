#include "drives/Blkid.h"

#include <blkid/blkid.h>

#include <QDir>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace vs
{

namespace
{

bool DeviceNumber(const QByteArray &device, unsigned major, unsigned minor, dev_t &rdev)
{
    struct stat st {
    };
    if (!device.isEmpty() && ::stat(device.constData(), &st) == 0 && S_ISBLK(st.st_mode)) {
        rdev = st.st_rdev;
        return true;
    }
    if (major == 0)
        return false;
    rdev = makedev(major, minor);
    return true;
}

// The name of the link in dir that leads to the device, undone from udev's escapes.
QByteArray UdevLinkName(const char *dir, dev_t rdev)
{
    const QDir d(QString::fromLatin1(dir));
    const QStringList names = d.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(d.filePath(name));
        struct stat st {
        };
        if (::stat(path.constData(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == rdev)
            return UnescapeUdevName(QFile::encodeName(name));
    }
    return {};
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray UnescapeUdevName(const QByteArray &name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexValue(name[i + 2]) >= 0 &&
            HexValue(name[i + 3]) >= 0) {
            out += char(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

VolumeTags ProbeVolume(const QByteArray &device, unsigned major, unsigned minor)
{
    VolumeTags tags;
    dev_t rdev = 0;
    if (!DeviceNumber(device, major, minor, rdev))
        return tags;

    QByteArray path = device;
    struct stat st {
    };
    if (::stat(path.constData(), &st) != 0 || !S_ISBLK(st.st_mode))
        path = "/dev/block/" + QByteArray::number(::major(rdev)) + ':' + QByteArray::number(::minor(rdev));

    bool probed = false;
    if (blkid_probe pr = blkid_new_probe_from_filename(path.constData())) {
        blkid_probe_enable_superblocks(pr, 1);
        blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
        if (blkid_do_safeprobe(pr) == 0) {
            probed = true;
            const char *value = nullptr;
            size_t len = 0;
            if (blkid_probe_lookup_value(pr, "LABEL", &value, &len) == 0 && value)
                tags.label = QString::fromUtf8(value);
            if (blkid_probe_lookup_value(pr, "UUID", &value, &len) == 0 && value)
                tags.uuid = QByteArray(value);
            if (blkid_probe_lookup_value(pr, "TYPE", &value, &len) == 0 && value)
                tags.type = QByteArray(value);
        }
        blkid_free_probe(pr);
    }
    if (!probed) {
        tags.label = QString::fromUtf8(UdevLinkName("/dev/disk/by-label", rdev));
        tags.uuid = UdevLinkName("/dev/disk/by-uuid", rdev);
    }
    return tags;
}

} // namespace vs
