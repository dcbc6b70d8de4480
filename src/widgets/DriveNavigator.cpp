#include "widgets/DriveNavigator.h"

#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"
#include "fs/Paths.h"

namespace vs {

DriveNavigator::DriveNavigator(DriveListBox &drive1, DirListBox &dir1, MountTable &mounts,
                               MessageBoxes &boxes, QWidget *window)
    : QObject(window), drive1_(drive1), dir1_(dir1), mounts_(mounts), boxes_(boxes), window_(window)
{
    resetLastDriveIndex();
    remember();
    connect(&dir1_, &DirListBox::changed, this, &DriveNavigator::remember);
    connect(&drive1_, &QComboBox::activated, this, &DriveNavigator::chooseDrive);
    connect(&drive1_, &DriveListBox::listRefreshed, this, [this] {
        const std::vector<DriveEntry> &drives = drive1_.drives();
        for (size_t i = 0; i < drives.size(); ++i) {
            if (drives[i].mountPoint == lastDriveMount_) {
                setLastDrive(int(i));
                return;
            }
        }
        setLastDrive(drive1_.currentIndex());
    });
}

void DriveNavigator::resetLastDriveIndex()
{
    setLastDrive(drive1_.currentIndex());
}

void DriveNavigator::setLastDrive(int index)
{
    lastDriveIndex_ = static_cast<int16_t>(index);
    lastDriveMount_ = drive1_.mountPoint(index);
}

void DriveNavigator::remember()
{
    const QByteArray mount = drive1_.currentMountPoint();
    if (!mount.isEmpty() && !dir1_.openFolder().isEmpty())
        folders_[mount] = dir1_.openFolder();
}

QByteArray DriveNavigator::driveFolder(int index) const
{
    const QByteArray mount = drive1_.mountPoint(index);
    const auto it = folders_.find(mount);
    return it != folders_.end() ? it->second : mount;
}

void DriveNavigator::chooseDrive(int index)
{
    const QString text = drive1_.itemText(index);
    const QByteArray mount = drive1_.mountPoint(index);
    try {
        mounts_.checkReady(mount);
        const QByteArray folder = driveFolder(index);
        try {
            dir1_.openAt(folder);
        } catch (const VsError &) {
            // The remembered folder may be gone by now; the drive's root is
            // the next best place.
            if (folder == mount)
                throw;
            dir1_.openAt(mount);
        }
    } catch (const VsError &e) {
        if (e.number == kErrDeviceUnavailable) {
            boxes_.show(window_,
                        QStringLiteral("Диск '") + text +
                            QStringLiteral("' пуст. Вставте диск, а потом повторите попытку."),
                        QStringLiteral("Список дисков"), MessageBoxes::Icon::Information);
            if (!reverting_ && lastDriveIndex_ != index) {
                // Choose the previous drive again. When the folder list still
                // shows that drive's folder there is nothing to reopen. If the
                // previous drive cannot be opened either, that is reported too
                // and the choice stays there instead of going round for ever.
                reverting_ = true;
                drive1_.setCurrentIndex(lastDriveIndex_);
                if (dir1_.openFolder() != driveFolder(lastDriveIndex_))
                    chooseDrive(lastDriveIndex_);
                reverting_ = false;
            }
        }
        // Other failures leave the folder list where it was.
    }
    dir1_.setToolTipText(DisplayPath(dir1_.openFolder()));
    setLastDrive(drive1_.currentIndex());
}

} // namespace vs
