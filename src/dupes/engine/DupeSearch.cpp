#include "DupeSearch.h"

#include "dupes/engine/DuplicateGroups.h"
#include "util/Services.h"

#include <QElapsedTimer>
#include <new>

namespace vs
{

namespace
{

double steadySeconds()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

DupeSearch::DupeSearch(EventYield &yield, DupeSearchListener &listener, std::function<double()> clock)
    : yield_(yield), listener_(listener), clock_(clock ? std::move(clock) : steadySeconds)
{
}

void DupeSearch::setSizeRange(bool useMax, ByteCount min, ByteCount max)
{
    useMax_ = useMax;
    minBytes_ = min;
    maxBytes_ = max;
}

bool DupeSearch::scanTree(const QByteArray &folder)
{
    if (!operation_.begin())
        return false;
    rowCount_ = 0;
    listener_.searchStarted(DupeSearchKind::TreeScan);
    listener_.stageChanged(DupeSearchListener::Stage::Walking);
    const double start = clock_();
    try {
        files_.reset();
        QByteArray path = folder;
        int32_t entryCount = 0, folderCount = 0;
        FindFilesAPI_all(*this, files_, path, QByteArrayLiteral("*.*"), entryCount, folderCount);
        if (files_.fileCount() > 0) {
            files_.trim();
            listener_.stageChanged(DupeSearchListener::Stage::Sorting);
            SortBySize(files_);
            listener_.stageChanged(DupeSearchListener::Stage::Comparing);
            const std::vector<DupeRow> rows = ListDuplicateGroups(files_, this);
            // All rows in one go: a big result list fills in one insertion.
            listener_.rowsAdded(rows);
            rowCount_ = int(rows.size());
            listener_.stageChanged(DupeSearchListener::Stage::Listed);
        }
    } catch (const VsError &e) {
        showScanError(e);
    } catch (const std::bad_alloc &) {
        showScanError(MakeError(kErrOutOfMemory));
    }
    return finish(DupeSearchKind::TreeScan, start);
}

bool DupeSearch::findCopies(const QByteArray &folder)
{
    if (!operation_.begin())
        return false;
    rowCount_ = 0;
    listener_.searchStarted(DupeSearchKind::OneFile);
    listener_.stageChanged(DupeSearchListener::Stage::Walking);
    const double start = clock_();
    QByteArray path = folder;
    int32_t entryCount = 0, folderCount = 0;
    FindFilesAPI(*this, path, QByteArrayLiteral("*.*"), entryCount, folderCount);
    listener_.stageChanged(DupeSearchListener::Stage::Listed);
    return finish(DupeSearchKind::OneFile, start);
}

bool DupeSearch::finish(DupeSearchKind kind, double start)
{
    listener_.searchFinished(kind, clock_() - start, rowCount_);
    return operation_.end();
}

void DupeSearch::yield()
{
    yield_.yield();
}

void DupeSearch::showError(int number, const QString &text, const QString &title)
{
    listener_.errorBox(number, text, title);
}

void DupeSearch::showScanError(const VsError &e)
{
    showError(e.number, QString::number(e.number) + e.description, QString::number(e.number));
}

void DupeSearch::stepPicture(int image)
{
    listener_.pictureStep(image);
}

void DupeSearch::addRow(const DupeRow &row)
{
    ++rowCount_;
    listener_.rowAdded(row);
}

bool DupeSearch::contentProgress(int64_t bytesDone, int64_t bytesTotal)
{
    listener_.contentProgress(bytesDone, bytesTotal);
    yield_.yield();
    return scanRunning();
}

} // namespace vs
