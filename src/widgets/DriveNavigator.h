// Keeps a drive list box and a folder list box together: choosing a drive
// opens that drive's current folder, which is the last folder opened while
// that drive was chosen, or else its mount point. A drive that cannot be
// opened now is reported and the previous drive is chosen again.
#pragma once

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <map>

namespace vs
{

class DirListBox;
class DriveListBox;
class MessageBoxes;
class MountTable;

class DriveNavigator : public QObject
{
    Q_OBJECT
  public:
    DriveNavigator(DriveListBox &driveList, DirListBox &folderList, MountTable &mounts, MessageBoxes &boxes,
                   QWidget *window);

    // Position of the last drive that could be opened.
    int16_t lastDriveIndex() const { return lastDriveIndex_; }
    // Takes the drive list's current position as the last good one.
    void resetLastDriveIndex();
    // The folder a drive opens at when chosen.
    QByteArray driveFolder(int index) const;
    // The drive change: runs when the user chooses the drive at `index`.
    void chooseDrive(int index);

  private:
    void rememberOpenFolder();
    void setLastDrive(int index);

    DriveListBox &driveList_;
    DirListBox &folderList_;
    MountTable &mounts_;
    MessageBoxes &boxes_;
    QWidget *window_;
    int16_t lastDriveIndex_ = 0;
    QByteArray lastDriveMount_; // follows the drive when the list is read again
    bool reverting_ = false;
    std::map<QByteArray, QByteArray> lastFolders_; // mount point -> last folder opened
};

} // namespace vs
