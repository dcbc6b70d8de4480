#include "widgets/DriveNavigator.h"

#include "fs/Paths.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"

namespace vs
{

DriveNavigator::DriveNavigator(DriveListBox &driveList, DirListBox &folderList, MountTable &mounts,
                               MessageBoxes &boxes, QWidget *window)
    : QObject(window), driveList_(driveList), folderList_(folderList), mounts_(mounts), boxes_(boxes),
      window_(window)
{
    resetLastDriveIndex();
    rememberOpenFolder();
    connect(&folderList_, &DirListBox::changed, this, &DriveNavigator::rememberOpenFolder);
    connect(&driveList_, &QComboBox::activated, this, &DriveNavigator::chooseDrive);
    connect(&driveList_, &DriveListBox::listRefreshed, this, [this] {
        const std::vector<DriveEntry> &drives = driveList_.drives();
        for (size_t i = 0; i < drives.size(); ++i) {
            if (drives[i].mountPoint == lastDriveMount_) {
                setLastDrive(int(i));
                return;
            }
        }
        setLastDrive(driveList_.currentIndex());
    });
}

void DriveNavigator::resetLastDriveIndex()
{
    setLastDrive(driveList_.currentIndex());
}

void DriveNavigator::setLastDrive(int index)
{
    lastDriveIndex_ = static_cast<int16_t>(index);
    lastDriveMount_ = driveList_.mountPoint(index);
}

void DriveNavigator::rememberOpenFolder()
{
    const QByteArray mount = driveList_.currentMountPoint();
    if (!mount.isEmpty() && !folderList_.openFolder().isEmpty())
        lastFolders_[mount] = folderList_.openFolder();
}

QByteArray DriveNavigator::driveFolder(int index) const
{
    const QByteArray mount = driveList_.mountPoint(index);
    const auto it = lastFolders_.find(mount);
    return it != lastFolders_.end() ? it->second : mount;
}

void DriveNavigator::chooseDrive(int index)
{
    const QString text = driveList_.itemText(index);
    const QByteArray mount = driveList_.mountPoint(index);
    try {
        mounts_.checkReady(mount);
        const QByteArray folder = driveFolder(index);
        try {
            folderList_.openAt(folder);
        } catch (const VsError &) {
            // The remembered folder may be gone by now; the drive's root is
            // the next best place.
            if (folder == mount)
                throw;
            folderList_.openAt(mount);
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
                driveList_.setCurrentIndex(lastDriveIndex_);
                if (folderList_.openFolder() != driveFolder(lastDriveIndex_))
                    chooseDrive(lastDriveIndex_);
                reverting_ = false;
            }
        }
        // Other failures leave the folder list where it was.
    }
    folderList_.setToolTipText(DisplayPath(folderList_.openFolder()));
    setLastDrive(driveList_.currentIndex());
}

} // namespace vs
