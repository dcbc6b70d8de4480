#include "FolderScan.h"
#include "fs/Paths.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <limits>
#include <new>

namespace vs
{

namespace
{

QString ScanErrorText(const VsError &e)
{
    return QString::number(e.number) + QLatin1Char('\r') + e.description;
}

QString ListingErrorText(const VsError &e)
{
    return QString::number(e.number) + QLatin1Char('\n') + e.description + QLatin1Char('\n') + e.source;
}

QString ErrorTitle(const VsError &e)
{
    return QStringLiteral("Ошибка") + QString::number(e.number);
}

} // namespace

FolderScan::FolderScan(Widgets widgets, FolderChooser &folderList, const WindowServices &services,
                       QWidget *window)
    : QObject(window), scanButton_(widgets.scanButton), progressBar_(widgets.progressBar),
      countLabel_(widgets.countLabel), resultList_(widgets.resultList), autoViewCheck_(widgets.autoViewCheck),
      folderList_(folderList), fs_(services.fs), yield_(services.yield), boxes_(services.boxes),
      window_(window)
{
    if (resultList_ && countLabel_)
        resultList_->setCountLabel(countLabel_);
}

bool FolderScan::passOver(const VsError &e)
{
    if (e.number == kErrPermission)
        return true;
    boxes_.show(window_, ScanErrorText(e), ErrorTitle(e), MessageBoxes::Icon::Exclamation);
    return false;
}

void FolderScan::showListingError(const VsError &e)
{
    if (e.number != kErrPermission)
        boxes_.show(window_, ListingErrorText(e), ErrorTitle(e), MessageBoxes::Icon::Exclamation);
}

void FolderScan::startOrStopScan()
{
    if (operation_.running()) {
        operation_.requestStop();
        return;
    }
    if (scanButton_)
        scanButton_->setText(QStringLiteral("Остановить"));
    if (resultList_)
        resultList_->setAutomaticSorting(false);
    operation_.begin();
    emit scanStarted();

    try {
        scanHighlightedFolder();
    } catch (const VsError &e) {
        passOver(e);
    } catch (const std::bad_alloc &) {
        passOver(MakeError(kErrOutOfMemory));
    } catch (const std::exception &) {
        passOver(MakeError(kErrInternal));
    }

    const bool closeWaited = operation_.end();
    if (progressBar_)
        progressBar_->setValue(progressBar_->maximum());
    if (scanButton_)
        scanButton_->setText(QStringLiteral("Показать"));
    emit scanFinished();
    if (closeWaited)
        emit closeDue();
}

void FolderScan::scanHighlightedFolder()
{
    // Taken once: highlighting another entry during the yields changes nothing.
    const QByteArray folder = folderList_.highlightedFolder();
    const SizeMeasure measure = measure_;

    int n = 0;
    try {
        const int count = countSubfolders(folder);
        if (count > std::numeric_limits<int16_t>::max())
            throw MakeError(kErrOverflow);
        n = count;
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }

    currentFolder_ = folderList_.openFolder();

    if (n == 0) {
        if (resultList_)
            resultList_->fill({}, ByteCount(), 0);
        return;
    }

    std::vector<QByteArray> paths(static_cast<size_t>(n));
    std::vector<ByteCount> sizes(static_cast<size_t>(n));
    if (progressBar_) {
        progressBar_->setMaximum(n);
        progressBar_->setValue(0);
    }

    try {
        listSubfolders(folder, paths);
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }

    // While one folder is measured the window answers as at a yield, and a
    // stop abandons that folder: the stop check after it drops it anyway.
    const WaitAsAtYield waitAsAtYield(yield_, [this] { return operation_.stopRequested(); });
    ByteCount maxSize;
    try {
        maxSize = fs_.folderTotal(paths[0], measure);
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }
    sizes[0] = maxSize;

    for (int i = 2; i <= n; ++i) {
        yield_.yield();
        try {
            sizes[size_t(i - 1)] = fs_.folderTotal(paths[size_t(i - 1)], measure);
        } catch (const VsError &e) {
            if (!passOver(e))
                return;
        }
        if (operation_.stopRequested())
            return;
        if (progressBar_)
            progressBar_->setValue(i);
        if (sizes[size_t(i - 1)] > maxSize)
            maxSize = sizes[size_t(i - 1)];
    }

    if (!resultList_)
        return;
    std::vector<FolderRow> rows;
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        rows.push_back({std::move(paths[size_t(i)]), sizes[size_t(i)]});
    resultList_->fill(rows, maxSize, n);
    if (resultList_->sortColumn() != 0)
        resultList_->sortBy(resultList_->sortColumn(), true);
}

int FolderScan::countSubfolders(const QByteArray &folder)
{
    std::unique_ptr<FolderListing> listing = fs_.subFolders(folder);
    int count = 0;
    try {
        QByteArray name;
        for (;;) {
            if (!listing->next(name))
                break;
            yield_.yield();
            ++count;
        }
    } catch (const VsError &e) {
        showListingError(e);
    }
    return count;
}

void FolderScan::listSubfolders(const QByteArray &folder, std::vector<QByteArray> &paths)
{
    std::unique_ptr<FolderListing> listing = fs_.subFolders(folder);
    const QByteArray prefix = WithTrailingSlash(folder);
    try {
        QByteArray name;
        size_t k = 0;
        while (listing->next(name)) {
            yield_.yield();
            if (k >= paths.size())
                throw MakeError(kErrSubscript);
            paths[k++] = prefix + name;
        }
    } catch (const VsError &e) {
        showListingError(e);
    }
}

bool FolderScan::autoScanOn() const
{
    return autoViewCheck_ && autoViewCheck_->isChecked();
}

void FolderScan::drillDown()
{
    if (operation_.running() || !resultList_ || !resultList_->hasRows())
        return;
    const int row = resultList_->selectedRowIndex();
    if (row < 0)
        return;

    if (row != 0) {
        const QString text = resultList_->rowText(row, 1);
        if (countLabel_)
            countLabel_->setText(QStringLiteral("Кол-во: ") + QString::number(resultList_->rowCount()) +
                                 QLatin1Char('/') + QString::number(row + 1) + QStringLiteral("  <") + text +
                                 QLatin1Char('>'));
        openAndScan(resultList_->rowPath(row));
        return;
    }

    const QByteArray p = ParentFolder(currentFolder_);
    if (p == currentFolder_)
        return;
    openAndScan(p);
}

void FolderScan::openAndScan(const QByteArray &folder)
{
    // A folder that may not be opened is reported and the unchanged folder
    // is scanned again; any other failure ends the drill-down.
    try {
        folderList_.openAt(folder);
    } catch (const VsError &e) {
        if (e.number != kErrAccessDenied) {
            showListingError(e);
            return;
        }
        boxes_.show(window_, QStringLiteral("Нет доступа к выбранной папке!"),
                    QStringLiteral("Доступ запрещен"), MessageBoxes::Icon::Exclamation);
    }
    folderList_.setToolTipText(DisplayPath(folderList_.openFolder()));
    if (!autoScanOn())
        startOrStopScan();
}

} // namespace vs
