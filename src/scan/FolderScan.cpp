#include "FolderScan.h"
#include "fs/Paths.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <limits>
#include <new>

namespace vs {

namespace {

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

FolderScan::FolderScan(Widgets w, FolderChooser &dir1, FileSystem &fs, EventYield &yield, MessageBoxes &boxes,
                       QWidget *window)
    : QObject(window),
      command1_(w.command1),
      progressBar1_(w.progressBar1),
      label1_(w.label1),
      listView1_(w.listView1),
      check1_(w.check1),
      dir1_(dir1),
      fs_(fs),
      yield_(yield),
      boxes_(boxes),
      window_(window)
{
    if (listView1_ && label1_)
        listView1_->setCountLabel(label1_);
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

void FolderScan::StartOrStopScan()
{
    if (scanRunning_) {
        stopRequested_ = true;
        return;
    }
    if (command1_)
        command1_->setText(QStringLiteral("Остановить"));
    if (listView1_)
        listView1_->setAutomaticSorting(false);
    stopRequested_ = false;
    scanRunning_ = true;
    emit scanStarted();

    try {
        ScanCurrentFolder();
    } catch (const VsError &e) {
        passOver(e);
    } catch (const std::bad_alloc &) {
        passOver(MakeError(kErrOutOfMemory));
    } catch (const std::exception &) {
        passOver(MakeError(kErrInternal));
    }

    scanRunning_ = false;
    if (progressBar1_)
        progressBar1_->setValue(progressBar1_->maximum());
    if (command1_)
        command1_->setText(QStringLiteral("Показать"));
    emit scanFinished();
}

void FolderScan::ScanCurrentFolder()
{
    // Taken once: highlighting another entry during the yields changes nothing.
    const QByteArray folder = dir1_.highlightedFolder();

    int n = 0;
    try {
        const int count = ShowFolderListCount(folder);
        if (count > std::numeric_limits<int16_t>::max())
            throw MakeError(kErrOverflow);
        n = count;
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }

    currentFolder_ = dir1_.openFolder();

    if (n == 0) {
        if (listView1_)
            listView1_->FillResultList({}, ByteCount(), 0);
        return;
    }

    std::vector<QByteArray> paths(static_cast<size_t>(n));
    std::vector<ByteCount> sizes(static_cast<size_t>(n));
    if (progressBar1_) {
        progressBar1_->setMaximum(n);
        progressBar1_->setValue(0);
    }

    try {
        ShowFolderList2(folder, paths);
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }

    ByteCount maxSize;
    try {
        maxSize = fs_.folderSize(paths[0]);
    } catch (const VsError &e) {
        if (!passOver(e))
            return;
    }
    sizes[0] = maxSize;

    for (int i = 2; i <= n; ++i) {
        yield_.yield();
        try {
            sizes[size_t(i - 1)] = fs_.folderSize(paths[size_t(i - 1)]);
        } catch (const VsError &e) {
            if (!passOver(e))
                return;
        }
        if (stopRequested_) {
            stopRequested_ = false;
            return;
        }
        if (progressBar1_)
            progressBar1_->setValue(i);
        if (sizes[size_t(i - 1)] > maxSize)
            maxSize = sizes[size_t(i - 1)];
    }

    if (!listView1_)
        return;
    std::vector<FolderRow> rows;
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        rows.push_back({std::move(paths[size_t(i)]), sizes[size_t(i)]});
    listView1_->FillResultList(rows, maxSize, n);
    if (listView1_->sortColumn() != 0)
        listView1_->SortList(listView1_->sortColumn(), true);
}

int FolderScan::ShowFolderListCount(const QByteArray &folderspec)
{
    std::unique_ptr<FolderListing> listing = fs_.subFolders(folderspec);
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

void FolderScan::ShowFolderList2(const QByteArray &folderspec, std::vector<QByteArray> &mss)
{
    std::unique_ptr<FolderListing> listing = fs_.subFolders(folderspec);
    const QByteArray prefix = WithTrailingSlash(folderspec);
    try {
        QByteArray name;
        size_t k = 0;
        while (listing->next(name)) {
            yield_.yield();
            if (k >= mss.size())
                throw MakeError(kErrSubscript);
            mss[k++] = prefix + name;
        }
    } catch (const VsError &e) {
        showListingError(e);
    }
}

bool FolderScan::autoScanOn() const
{
    return check1_ && check1_->isChecked();
}

void FolderScan::DrillDown()
{
    if (scanRunning_ || !listView1_ || !listView1_->hasRows())
        return;
    const int row = listView1_->selectedRowIndex();
    if (row < 0)
        return;

    if (row != 0) {
        const QString text = listView1_->rowText(row, 1);
        if (label1_)
            label1_->setText(QStringLiteral("Кол-во: ") + QString::number(listView1_->rowCount()) +
                             QLatin1Char('/') + QString::number(row + 1) + QStringLiteral("  <") + text +
                             QLatin1Char('>'));
        openAndScan(listView1_->rowPath(row));
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
        dir1_.openAt(folder);
    } catch (const VsError &e) {
        if (e.number != kErrAccessDenied) {
            showListingError(e);
            return;
        }
        boxes_.show(window_, QStringLiteral("Нет доступа к выбранной папке!"), QStringLiteral("Доступ запрещен"),
                    MessageBoxes::Icon::Exclamation);
    }
    dir1_.setToolTipText(DisplayPath(dir1_.openFolder()));
    if (!autoScanOn())
        StartOrStopScan();
}

} // namespace vs
