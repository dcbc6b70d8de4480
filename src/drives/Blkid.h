// Volume label, UUID and type of a block device, read from its superblock
// with libblkid (no cache file, so nothing stale). Reading a disk needs
// permission an ordinary user usually lacks; then the label and UUID come
// from the links udev keeps in /dev/disk/by-label and /dev/disk/by-uuid,
// which udev itself filled with the same probe.
#pragma once

#include <QByteArray>
#include <QString>

namespace vs
{

struct VolumeTags {
    QString label;
    QByteArray uuid;
    QByteArray type;
};

// May block while a drive spins up: call it through the time limit.
VolumeTags ProbeVolume(const QByteArray &device, unsigned major, unsigned minor);

// Undoes udev's \xHH escapes in link names.
QByteArray UnescapeUdevName(const QByteArray &name);

} // namespace vs
