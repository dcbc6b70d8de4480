// The folder scan of the main window: counts and lists the immediate
// subfolders of the highlighted folder, measures each one's total size and
// hands the rows to the result list. It runs on the interface thread and
// lets the window in only at fixed yields (one per subfolder counted, one per
// subfolder listed, one before each measurement after the first), so the
// button that started it can ask it to stop. Permission denied (70) is passed
// over wherever it happens; any other failure is shown and ends the scan.
#pragma once

#include "widgets/FolderChooser.h"
#include "ResultList.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"

#include <QObject>
#include <QPointer>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vs {

class FolderScan : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QPushButton *command1;
        QProgressBar *progressBar1;
        QLabel *label1;
        ResultList *listView1;
        QCheckBox *check1;
    };
    // Wires nothing: the window connects its triggers (Command1, F5, the
    // toolbar, the menu, Dir1's change with Check1 ticked) to StartOrStopScan
    // and the list's drillDownRequested to DrillDown.
    FolderScan(Widgets w, FolderChooser &dir1, FileSystem &fs, EventYield &yield, MessageBoxes &boxes,
               QWidget *window);

    // Starts a scan when none runs (and returns when it has ended); asks the
    // running scan to stop otherwise.
    void StartOrStopScan();
    // Opens the selected row's folder (or the parent folder for the top row)
    // in Dir1 and scans it. Does nothing while a scan runs.
    void DrillDown();

    bool scanRunning() const { return scanRunning_; }
    bool stopRequested() const { return stopRequested_; }
    // The open folder of Dir1 when the last scan started.
    QByteArray currentFolder() const { return currentFolder_; }

    // Number of immediate subfolders, yielding before each one. Opening the
    // folder throws; a failure midway returns the count so far (shown unless 70).
    int ShowFolderListCount(const QByteArray &folderspec);
    // Full paths of the immediate subfolders into mss[0..], yielding before
    // each one. Opening the folder throws; a failure midway (or more folders
    // than mss holds) keeps what is filled (shown unless 70).
    void ShowFolderList2(const QByteArray &folderspec, std::vector<QByteArray> &mss);

signals:
    void scanStarted();
    void scanFinished();

private:
    void ScanCurrentFolder();
    // True when the failure is permission denied and the step is simply
    // skipped; otherwise shows the scan's message and returns false.
    bool passOver(const VsError &e);
    void showListingError(const VsError &e);
    bool autoScanOn() const;
    void openAndScan(const QByteArray &folder);

    QPointer<QPushButton> command1_;
    QPointer<QProgressBar> progressBar1_;
    QPointer<QLabel> label1_;
    QPointer<ResultList> listView1_;
    QPointer<QCheckBox> check1_;
    FolderChooser &dir1_;
    FileSystem &fs_;
    EventYield &yield_;
    MessageBoxes &boxes_;
    QPointer<QWidget> window_;

    bool scanRunning_ = false;
    bool stopRequested_ = false;
    QByteArray currentFolder_;
};

} // namespace vs
