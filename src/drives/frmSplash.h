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

#include <QPointer>
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
    frmSplash(MountTable &mounts, VolumeQuery &volumes, QWidget *anchor = nullptr);

    // The opening: shown at once with the wait banner, the list filled, the
    // drive of the main window's drive list shown, the banner hidden.
    void open(const QString &drive1Text);

    void FillDriveList();
    // A drive by its text: the main window's drive list text ("/data [Архив]")
    // or a mount point.
    void ShowDriveDetails(const QString &driveText);
    // Writes the panel's header (chart tool tip, Label8, names, serial) and
    // gives the counts.
    VolumeInfo QueryDrive(const QString &driveText);

    const std::vector<DriveEntry> &drives() const { return drives_; }
    // The chart as last drawn (null before the first drawing).
    const QImage &chartImage() const { return chart_; }

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

    MountTable &mounts_;
    VolumeQuery &volumes_;
    QWidget *anchor_;
    std::vector<DriveEntry> drives_;
    QImage chart_;
    void requestClose();
    void leaveBusy();

    bool opening_ = false;
    int busy_ = 0;
    bool closeRequested_ = false;
    bool mouseDown_ = false;

    QWidget *client_ = nullptr;
    QFrame *Frame1 = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QLabel *Label8 = nullptr, *Picture1 = nullptr;
    QLabel *Label4 = nullptr, *Label3 = nullptr, *Label10 = nullptr, *Label7 = nullptr;
    QLabel *Label13 = nullptr, *Label12 = nullptr, *Label11 = nullptr, *Label14 = nullptr;
    QLabel *Label16 = nullptr, *Label17 = nullptr, *Label19 = nullptr;
    QLabel *Label21 = nullptr;
    QWidget *Shape1 = nullptr;
};

// Opens a new overview (closing one still open) and returns once it is filled.
// drive1Text is the main window's Drive1 text. The window deletes itself when
// it closes: keep the pointer in a QPointer.
frmSplash *ShowDriveOverview(const QString &drive1Text, MountTable &mounts = DefaultMountTable(),
                             QWidget *anchor = nullptr, VolumeQuery &volumes = DefaultVolumeQuery());

} // namespace vs
