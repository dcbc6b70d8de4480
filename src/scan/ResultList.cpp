#include "ResultList.h"

#include "ResultListAccessible.h"
#include "SizeBar.h"
#include "fs/Paths.h"
#include "util/FileSystem.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace vs
{

namespace
{

constexpr int kSizeKeyColumn = 3; // 0-based view columns
constexpr int kPathKeyColumn = 4;
constexpr uint32_t kListBackground = 0x808080;
constexpr int kParentPicture = 10;
constexpr int kDescendingPicture = 8;
constexpr int kAscendingPicture = 9;

// The bar is cut at the column's edge like a ruler; an ellipsis after it
// would read as part of the bar.
class BarDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideNone;
    }
};

// A row that sorts by the bytes of its hidden keys, not by their shown text:
// paths need not be valid UTF-8, and the parent row's pinning key 0xFF must
// come after every digit and every path byte.
class ResultItem : public QTreeWidgetItem
{
  public:
    ResultItem() : QTreeWidgetItem(UserType) {}

    void setKeys(const QByteArray &sizeKey, const QByteArray &pathKey, const QString &pathText)
    {
        sizeKey_ = sizeKey;
        pathKey_ = pathKey;
        setText(kSizeKeyColumn, QString::fromLatin1(sizeKey));
        setText(kPathKeyColumn, pathText);
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->header()->sortIndicatorSection() : 0;
        if (other.type() == UserType && (column == kSizeKeyColumn || column == kPathKeyColumn)) {
            const auto &o = static_cast<const ResultItem &>(other);
            return column == kSizeKeyColumn ? sizeKey_ < o.sizeKey_ : pathKey_ < o.pathKey_;
        }
        return QTreeWidgetItem::operator<(other);
    }

  private:
    QByteArray sizeKey_;
    QByteArray pathKey_;
};

const QIcon &Picture(int index)
{
    static const std::array<QIcon, kImageListCount + 1> icons = [] {
        std::array<QIcon, kImageListCount + 1> a;
        for (int i = 1; i <= kImageListCount; ++i)
            a[size_t(i)] = ImageList1Icon(i);
        return a;
    }();
    return icons[size_t(index)];
}

// The bar read aloud: the folder's share of the largest one in whole percent.
QString ShareText(ByteCount size, ByteCount maxSize)
{
    const double share = maxSize.bytes() > 0 ? 100.0 * double(size.bytes()) / double(maxSize.bytes()) : 0.0;
    return QString::number(qRound(share)) + QStringLiteral(" %");
}

QString CountPrefix()
{
    return QStringLiteral("Кол-во: ");
}

} // namespace

QByteArray ParentFolder(const QByteArray &path)
{
    qsizetype from = 0;
    qsizetype to = path.size();
    while (from < to && path.at(from) == ' ')
        ++from;
    while (to > from && path.at(to - 1) == ' ')
        --to;
    const QByteArray t = path.mid(from, to - from);
    if (t.isEmpty())
        return {};
    const qsizetype slashes = t.count('/');
    if (slashes == 0)
        return t;
    const qsizetype k = t.lastIndexOf('/') + 1; // 1-based position of the last "/"
    if (slashes == 1)
        return t.endsWith('/') ? t : t.left(k);
    return t.left(k - 1);
}

ResultList::ResultList(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    InstallResultListAccessibility();
    setAccessibleName(QStringLiteral("Вложенные папки"));
    setAccessibleDescription(
        QStringLiteral("Размер каждой вложенной папки и его доля от самой большой; Enter открывает папку"));
    setColumnCount(kColumns);
    setHeaderLabels({QStringLiteral("Папка"), QStringLiteral("Процентное соотношение"),
                     QStringLiteral("Размер"), QString(), QString()});
    headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegateForColumn(1, new BarDelegate(this));

    QPalette pal = palette();
    pal.setColor(QPalette::Base, BgrColor(kListBackground));
    pal.setColor(QPalette::Window, BgrColor(kListBackground));
    setPalette(pal);
    viewport()->setAutoFillBackground(true);

    QHeaderView *h = header();
    h->setStretchLastSection(false);
    h->setMinimumSectionSize(0);
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(false);
    for (int c = 1; c <= kColumns; ++c)
        setColumnWidthTwips(c, widths_[size_t(c - 1)]);
    // A width the user drags stays the width the layout and the report read.
    connect(h, &QHeaderView::sectionResized, this, [this](int logical, int, int newSize) {
        if (!applyingWidth_ && logical >= 0 && logical < kColumns)
            widths_[size_t(logical)] = static_cast<float>(Tw(newSize));
    });
    connect(h, &QHeaderView::sectionClicked, this, [this](int logical) { columnClicked(logical + 1); });
}

void ResultList::setCountLabel(QLabel *label)
{
    countLabel_ = label;
}

void ResultList::setCountText(const QString &text)
{
    if (countLabel_)
        countLabel_->setText(text);
}

void ResultList::fill(const std::vector<FolderRow> &rows, ByteCount maxSize, int n)
{
    setUpdatesEnabled(false);
    clear();
    parentRow_ = nullptr;

    const int count = std::max(0, std::min<int>(n, int(rows.size())));
    const int keyWidth = KeyWidth(maxSize);
    setCountText(CountPrefix() + QString::number(n));

    QList<QTreeWidgetItem *> items;
    items.reserve(count + 1);
    auto *parentRow = new ResultItem;
    parentRow->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    parentRow->setCheckState(0, Qt::Unchecked);
    parentRow->setText(0, QStringLiteral("\\..."));
    parentRow->setData(0, Qt::AccessibleTextRole, QStringLiteral("На уровень выше"));
    parentRow->setIcon(0, Picture(kParentPicture));
    items.append(parentRow);

    for (int i = 0; i < count; ++i) {
        const FolderRow &row = rows[size_t(i)];
        const int length = BarLength(row.size, maxSize);
        const int band = BandOf(length);
        const QString sizeText = SizeText(row.size);
        const QString shown = DisplayPath(row.path);
        const QString tip = shown + QStringLiteral(" - ") + sizeText;

        auto *item = new ResultItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setText(0, shown);
        item->setData(0, Qt::UserRole, row.path);
        item->setIcon(0, Picture(band));
        item->setText(1, QString(std::max(length, 1), QLatin1Char('|')));
        item->setForeground(1, BandColor(band));
        item->setData(1, Qt::AccessibleTextRole, ShareText(row.size, maxSize));
        item->setText(2, sizeText);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setKeys(SizeKey(row.size, keyWidth), row.path, shown);
        for (int c = 0; c < kColumns; ++c)
            item->setToolTip(c, tip);
        items.append(item);
    }
    addTopLevelItems(items);
    parentRow_ = parentRow;
    setCurrentItem(parentRow_);

    if (autoSort_) {
        // The user sorted while the scan ran: keep the list sorted, the
        // parent row pinned on top.
        if (order_ == Qt::DescendingOrder)
            parentRow->setKeys(QByteArray(1, '\xFF'), QByteArray(1, '\xFF'), QString(QChar(0xFF)));
        sortItems(sortColumn_ == 1 ? kPathKeyColumn : kSizeKeyColumn, order_);
    }
    setUpdatesEnabled(true);
}

void ResultList::setAutomaticSorting(bool on)
{
    // Not the view's own sorting switch: that one ties header clicks to
    // sorting by the clicked column, before our click handler runs, and an
    // extra sort by the shown texts would reshuffle rows of equal size.
    autoSort_ = on;
    if (on)
        sortItems(sortColumn_ == 1 ? kPathKeyColumn : kSizeKeyColumn, order_);
}

void ResultList::sortBy(int column, bool keepOrder)
{
    if (column < 1 || column > kColumns)
        return;
    setAutomaticSorting(false);
    if (sortColumn_ != 0)
        headerItem()->setIcon(sortColumn_ - 1, QIcon());
    sortColumn_ = column;
    if (!keepOrder)
        order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    auto *parentRow = static_cast<ResultItem *>(parentRow_);
    if (order_ == Qt::DescendingOrder) {
        if (parentRow)
            parentRow->setKeys(QByteArray(1, '\xFF'), QByteArray(1, '\xFF'), QString(QChar(0xFF)));
        headerItem()->setIcon(column - 1, Picture(kDescendingPicture));
    } else {
        if (parentRow)
            parentRow->setKeys({}, {}, QString());
        headerItem()->setIcon(column - 1, Picture(kAscendingPicture));
    }
    setAutomaticSorting(true);
}

void ResultList::columnClicked(int column)
{
    if (column == 4 && columnWidthTwips(4) > 0)
        setColumnWidthTwips(4, 0);
    if (hasRows())
        sortBy(column, false);
}

int ResultList::selectedRowIndex() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    if (selected.isEmpty())
        return -1;
    return indexOfTopLevelItem(selected.first());
}

bool ResultList::isParentRow(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item && item == parentRow_;
}

QByteArray ResultList::rowPath(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item || item == parentRow_)
        return {};
    return item->data(0, Qt::UserRole).toByteArray();
}

QString ResultList::rowText(int row, int column) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    if (!item || column < 1 || column > kColumns)
        return {};
    return item->text(column - 1);
}

bool ResultList::rowChecked(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void ResultList::setRowChecked(int row, bool checked)
{
    if (QTreeWidgetItem *item = topLevelItem(row))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void ResultList::setColumnWidthTwips(int column, float twips)
{
    if (column < 1 || column > kColumns)
        return;
    widths_[size_t(column - 1)] = twips;
    applyingWidth_ = true;
    header()->resizeSection(column - 1, std::max(0, Px(twips)));
    applyingWidth_ = false;
}

float ResultList::columnWidthTwips(int column) const
{
    if (column < 1 || column > kColumns)
        return 0;
    return widths_[size_t(column - 1)];
}

void ResultList::showSelectionText()
{
    if (!hasRows())
        return;
    const int row = selectedRowIndex();
    QString text = CountPrefix() + QString::number(rowCount() - 1);
    if (row >= 0)
        text += QLatin1Char('/') + QString::number(row) + QStringLiteral(" - '") +
                topLevelItem(row)->text(0) + QLatin1Char('\'');
    setCountText(text);
}

QItemSelectionModel::SelectionFlags ResultList::selectionCommand(const QModelIndex &index,
                                                                 const QEvent *event) const
{
    // A click beside the rows keeps the selected row: the drill-down, the
    // open command and the selection text always have one to work on.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    return QTreeWidget::selectionCommand(index, event);
}

// QTreeView announces the current and the selected cell by their number
// among all five columns; the accessible table counts the three shown ones.
void ResultList::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // Every column shows the focus, so whole rows are repainted.
    for (const QModelIndex &i : {previous, current})
        if (i.isValid())
            viewport()->update(QRect(0, visualRect(i).y(), viewport()->width(), visualRect(i).height()));
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(AccessibleChildIndex(current.siblingAtColumn(0)));
        QAccessible::updateAccessibility(&event);
    }
}

void ResultList::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    const std::pair<const QItemSelection *, QAccessible::Event> changes[] = {
        {&selected, QAccessible::SelectionAdd}, {&deselected, QAccessible::SelectionRemove}};
    for (const auto &[selection, type] : changes) {
        const QModelIndex first = selection->indexes().value(0);
        if (!first.isValid())
            continue;
        QAccessibleEvent event(this, type);
        event.setChild(AccessibleChildIndex(first.siblingAtColumn(0)));
        QAccessible::updateAccessibility(&event);
    }
}

void ResultList::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    showSelectionText();
    if (event->button() == Qt::RightButton)
        emit contextMenuRequested(event->globalPosition().toPoint());
}

void ResultList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit drillDownRequested();
}

void ResultList::keyReleaseEvent(QKeyEvent *event)
{
    QTreeWidget::keyReleaseEvent(event);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat())
        emit drillDownRequested();
}

} // namespace vs
