// The duplicate finder's two searches, without the window: the state of the
// running search, the collected files, the size range and the chosen file
// the walks read at every file, and the one tree-scan pipeline.
//
// Tree scan (scanTree): reset the collection, collecting walk, and, when it
// collected anything, trim, sort by size and list the groups. One-file search
// (findCopies): the matching walk against the chosen file. Both run on the
// caller's thread and yield once per directory entry through the EventYield
// service, so a stop or a close can only arrive at a yield; a close that
// arrives meanwhile waits until the search has returned.
//
// Whoever shows the search (the window Form2, the benchmark, tests) listens
// through DupeSearchListener: the stages in order, the result rows, the
// error boxes, the progress picture and the finished figures.
#pragma once

#include "dupes/engine/DupeHost.h"
#include "dupes/engine/FileWalk.h"
#include "util/Errors.h"
#include "util/LongOperation.h"

#include <functional>

namespace vs
{

class EventYield;

enum class DupeSearchKind { TreeScan, OneFile };

class DupeSearchListener
{
  public:
    enum class Stage {
        Walking,   // the walk begins
        Sorting,   // the tree scan collected files and sorts them (a repaint is due)
        Comparing, // the tree scan reads and compares the candidates (a repaint is due)
        Listed,    // the result is complete: the finished picture
    };
    virtual ~DupeSearchListener() = default;

    // A search starts (before its first stage): the window locks its buttons
    // and empties the result list.
    virtual void searchStarted(DupeSearchKind kind) = 0;
    virtual void stageChanged(Stage stage) = 0;
    // Tree scan: every row at once, in list order, after the comparison.
    virtual void rowsAdded(const std::vector<DupeRow> &rows) = 0;
    // One-file search: one copy found, as the walk meets it.
    virtual void rowAdded(const DupeRow &row) = 0;
    // An exclamation box with this text and title.
    virtual void errorBox(int number, const QString &text, const QString &title) = 0;
    // One-file search: picture `image` (1..17) of the hourglass.
    virtual void pictureStep(int image) { (void)image; }
    // Tree scan: the comparison's progress, every few dozen milliseconds.
    virtual void contentProgress(int64_t bytesDone, int64_t bytesTotal)
    {
        (void)bytesDone;
        (void)bytesTotal;
    }
    // The search has ended: seconds it took and the rows it listed.
    virtual void searchFinished(DupeSearchKind kind, double seconds, int rows) = 0;
};

class DupeSearch final : public DupeHost
{
  public:
    // `clock` gives seconds of a monotonic clock (a steady clock when empty).
    DupeSearch(EventYield &yield, DupeSearchListener &listener, std::function<double()> clock = {});

    // The tree scan of `folder`. Returns true when a close arrived during the
    // search: the caller closes its window now. Does nothing (false) while a
    // search runs.
    bool scanTree(const QByteArray &folder);
    // The search for copies of the chosen file below `folder`; returns as
    // scanTree does.
    bool findCopies(const QByteArray &folder);

    bool running() const { return operation_.running(); }
    // Files of the list are being moved to the trash: no search starts
    // meanwhile (and no move starts during a search: beginMove says false).
    // endMove returns as scanTree does.
    bool beginMove()
    {
        if (!operation_.begin())
            return false;
        moving_ = true;
        return true;
    }
    bool endMove()
    {
        moving_ = false;
        return operation_.end();
    }
    bool moving() const { return moving_; }
    bool stopRequested() const { return operation_.stopRequested(); }
    bool closePending() const { return operation_.closePending(); }
    // Asks the running search to stop at its next stop check.
    void requestStop() { operation_.requestStop(); }
    // True when the window may close now; otherwise the search is asked to
    // stop and the close waits for it (scanTree/findCopies return true).
    bool requestClose() { return operation_.requestClose(); }

    // Whole byte bounds of the collecting walk, read again at every file:
    // `size > min` with the upper bound off, `min <= size <= max` with it on.
    void setSizeRange(bool useMax, ByteCount min, ByteCount max);
    void setChosenFile(const ChosenFile &file) { chosen_ = file; }
    // Files collected by the running (or the last) tree scan.
    const FileCollection &files() const { return files_; }

    // DupeHost.
    void yield() override;
    bool scanRunning() const override { return running() && !stopRequested(); }
    int useMaxSize() const override { return useMax_ ? 1 : 0; }
    ByteCount minSizeBytes() const override { return minBytes_; }
    ByteCount maxSizeBytes() const override { return maxBytes_; }
    void showError(int number, const QString &text, const QString &title) override;
    void stepPicture(int image) override;
    const ChosenFile &chosenFile() const override { return chosen_; }
    void addRow(const DupeRow &row) override;
    bool contentProgress(int64_t bytesDone, int64_t bytesTotal) override;

  private:
    void showScanError(const VsError &e);
    bool finish(DupeSearchKind kind, double start);

    EventYield &yield_;
    DupeSearchListener &listener_;
    std::function<double()> clock_;
    LongOperation operation_;
    FileCollection files_;
    ChosenFile chosen_;
    bool useMax_ = false;
    ByteCount minBytes_, maxBytes_;
    int rowCount_ = 0;
    bool moving_ = false;
};

} // namespace vs
