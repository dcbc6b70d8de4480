// The drive list box: one entry per drive of the mount table, shown as the
// mount point with the volume label in brackets. The drive chosen at start is
// the mount that holds the working directory.
#pragma once

#include "drives/MountTable.h"

#include <QComboBox>
#include <vector>

namespace vs
{

class DriveListBox : public QComboBox
{
    Q_OBJECT
  public:
    explicit DriveListBox(MountTable &mounts, QWidget *parent = nullptr);

    // Reads the mount table again; keeps the chosen drive when it is still
    // there. Runs each time the list is opened, so media mounted since show up.
    void refresh();
    const std::vector<DriveEntry> &drives() const { return drives_; }
    // The chosen drive's text as the list shows it, and its mount point.
    QString driveText() const { return currentText(); }
    QByteArray mountPoint(int index) const;
    QByteArray currentMountPoint() const { return mountPoint(currentIndex()); }
    // Index of the drive holding `path` (the longest mount point that is a
    // prefix of it), -1 when none does.
    int indexForPath(const QByteArray &path) const;
    // Chooses the drive holding `path` (the first drive when none does),
    // without raising the drive change.
    void chooseDriveFor(const QByteArray &path);

  signals:
    // The entries were read again; positions may have moved.
    void listRefreshed();

  protected:
    void showPopup() override;

  private:
    MountTable &mounts_;
    std::vector<DriveEntry> drives_;
};

// Index of the mount point in `mountPoints` that holds `path`: the longest one
// that equals the path or is followed in it by "/". -1 when none holds it.
int MountIndexForPath(const std::vector<QByteArray> &mountPoints, const QByteArray &path);

} // namespace vs
