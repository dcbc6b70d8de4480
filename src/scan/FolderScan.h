// The folder scan of the main window: counts and lists the immediate
// subfolders of the highlighted folder, measures each one's total size and
// hands the rows to the result list. It runs on the interface thread and
// lets the window in only at fixed yields (one per subfolder counted, one per
// subfolder listed, one before each measurement after the first), so the
// button that started it can ask it to stop. While one folder is measured
// the window answers just as at those yields, and a stop abandons the folder. Permission denied (70) is
// passed over wherever it happens; any other failure is shown and ends the scan.
#pragma once

#include "ResultList.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/LongOperation.h"
#include "util/Services.h"
#include "widgets/FolderChooser.h"
#include "widgets/WindowServices.h"

#include <QObject>
#include <QPointer>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vs
{

class FolderScan : public QObject
{
    Q_OBJECT
  public:
    // The main window's controls the scan writes to; its design names in
    // brackets.
    struct Widgets {
        QPushButton *scanButton;   // Command1: "Показать" / "Остановить"
        QProgressBar *progressBar; // ProgressBar1
        QLabel *countLabel;        // Label1
        ResultList *resultList;    // ListView1
        QCheckBox *autoViewCheck;  // Check1: scan at every folder change
    };
    // Wires nothing: the window connects its triggers (the scan button, F5,
    // the toolbar, the menu, a folder change with auto view ticked) to
    // startOrStopScan and the list's drillDownRequested to drillDown. Of the
    // services it uses the file system, the yield and the message boxes.
    FolderScan(Widgets widgets, FolderChooser &folderList, const WindowServices &services, QWidget *window);

    // Starts a scan when none runs (and returns when it has ended); asks the
    // running scan to stop otherwise.
    void startOrStopScan();
    // Opens the selected row's folder (or the parent folder for the top row)
    // in the folder list and scans it. Does nothing while a scan runs.
    void drillDown();
    // The window is asked to close. True when it may close now; otherwise the
    // running scan is asked to stop and closeDue() follows once it has ended.
    bool requestClose() { return operation_.requestClose(); }

    bool scanRunning() const { return operation_.running(); }
    bool stopRequested() const { return operation_.stopRequested(); }
    // What the totals count. A scan takes it when it starts, so one list
    // never mixes the two; a change shows at the next scan.
    void setMeasure(SizeMeasure measure) { measure_ = measure; }
    SizeMeasure measure() const { return measure_; }

    // The open folder of the folder list when the last scan started.
    QByteArray currentFolder() const { return currentFolder_; }

    // Number of immediate subfolders, yielding before each one. Opening the
    // folder throws; a failure midway returns the count so far (shown unless 70).
    int countSubfolders(const QByteArray &folder);
    // Full paths of the immediate subfolders into paths[0..], yielding before
    // each one. Opening the folder throws; a failure midway (or more folders
    // than paths holds) keeps what is filled (shown unless 70).
    void listSubfolders(const QByteArray &folder, std::vector<QByteArray> &paths);

  signals:
    void scanStarted();
    void scanFinished();
    // A close arrived during the scan that has just ended: close now.
    void closeDue();

  private:
    void scanHighlightedFolder();
    // True when the failure is permission denied and the step is simply
    // skipped; otherwise shows the scan's message and returns false.
    bool passOver(const VsError &e);
    void showListingError(const VsError &e);
    bool autoScanOn() const;
    void openAndScan(const QByteArray &folder);

    QPointer<QPushButton> scanButton_;
    QPointer<QProgressBar> progressBar_;
    QPointer<QLabel> countLabel_;
    QPointer<ResultList> resultList_;
    QPointer<QCheckBox> autoViewCheck_;
    FolderChooser &folderList_;
    FileSystem &fs_;
    EventYield &yield_;
    MessageBoxes &boxes_;
    QPointer<QWidget> window_;

    LongOperation operation_;
    QByteArray currentFolder_;
    SizeMeasure measure_ = SizeMeasure::Apparent;
};

} // namespace vs
