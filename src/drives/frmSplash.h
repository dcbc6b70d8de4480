// The drive overview: a small pop-up listing every drive with its capacity,
// free and used space and file system, and a detail panel for one drive with
// the usage chart, exact byte counts, file system, volume name and serial
// number. It is created at each opening and destroyed at each closing; a
// character key or the loss of activation closes it.
//
// Every drive is asked through VolumeQuery, which never waits longer than its
// time limit: a network share that stopped answering shows zeros instead of
// freezing the program. All drives of the list are asked at once, so the
// opening waits at most one limit however many drives are dead.
#pragma once

#include "drives/MountTable.h"
#include "drives/VolumeQuery.h"
#include "util/LongOperation.h"

#include <QWidget>

class QFrame;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace vs
{

class frmSplash : public QWidget
{
    Q_OBJECT
  public:
    // The window deletes itself when it closes: keep the pointer in a QPointer.
    // Its owner keeps one overview at a time.
    frmSplash(MountTable &mounts, VolumeQuery &volumes, QWidget *anchor = nullptr);

    // The opening: shown at once with the wait banner, the list filled, the
    // drive of the main window's drive list shown, the banner hidden. Returns
    // once the window is filled (or closed by a key pressed meanwhile).
    void open(const QString &drive1Text);

    // Closes now, or, while drives are asked, as soon as the asking is done:
    // the interface thread lets paint events through meanwhile, and the window
    // must not go away under the code that asks.
    void requestClose();

    void fillDriveList();
    // A drive by its text: the main window's drive list text ("/data [Архив]")
    // or a mount point.
    void showDriveDetails(const QString &driveText);
    // Writes the panel's header (chart tool tip, title, names, serial) and
    // gives the counts.
    VolumeInfo queryDrive(const QString &driveText);

    const std::vector<DriveEntry> &drives() const { return drives_; }
    // The chart as last drawn (null before the first drawing).
    const QImage &chartImage() const { return chartImage_; }

    // Whether a key press closes the window (character keys do, arrows and
    // other movement keys do not).
    static bool IsClosingKey(const QKeyEvent &event);

  protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

  private:
    const DriveEntry *findDrive(const QString &text) const;
    VolumeInfo queryDrive(const QString &driveText, const DriveEntry *drive);
    void showDriveDetails(const QString &driveText, const DriveEntry *drive);
    void showRow(QTreeWidgetItem *item);
    void setRightAligned(QLabel *label, const QString &text);
    void fitTitle(const QString &text);
    void drawUsageChart(uint64_t totalBytes, uint64_t freeBytes);
    // The end of one use of the window that asks drives: a close that waited
    // for it happens now.
    void endDriveQuery();

    MountTable &mounts_;
    VolumeQuery &volumes_;
    QWidget *anchor_;
    std::vector<DriveEntry> drives_;
    QImage chartImage_;

    LongOperation driveQueries_; // nested: the opening asks the details too
    bool opening_ = false;
    bool mouseDown_ = false;

    QWidget *client_ = nullptr;
    QFrame *detailPanel_ = nullptr;
    QTreeWidget *driveList_ = nullptr;
    QLabel *driveTitle_ = nullptr;
    QLabel *usageChart_ = nullptr;
    // The exact byte counts and their short forms: used, free, available to
    // the user, capacity.
    QLabel *usedExact_ = nullptr, *freeExact_ = nullptr, *availableExact_ = nullptr,
           *capacityExact_ = nullptr;
    QLabel *usedShort_ = nullptr, *freeShort_ = nullptr, *availableShort_ = nullptr,
           *capacityShort_ = nullptr;
    QLabel *fileSystemName_ = nullptr, *volumeName_ = nullptr, *serialNumber_ = nullptr;
    QLabel *waitBanner_ = nullptr;
    QWidget *bannerBackdrop_ = nullptr;
};

} // namespace vs
