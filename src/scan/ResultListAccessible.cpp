#include "ResultListAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QTreeWidget>

namespace vs
{

namespace
{

class ResultTable;

// One cell, or with row -1 one column header. Cells are numbered row by row,
// the header row first, kAccessibleColumns to a row.
class ResultCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
  public:
    ResultCell(QTreeWidget *view, int row, int column)
        : view_(view), row_(row), column_(column),
          index_(row >= 0 ? view->model()->index(row, column, view->rootIndex()) : QModelIndex())
    {
    }

    bool isHeader() const { return row_ < 0; }

    bool isValid() const override
    {
        return view_ && column_ < kAccessibleColumns && (isHeader() || index_.isValid());
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        QAccessibleInterface *p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (isHeader()) {
            if (t != QAccessible::Name)
                return {};
            return view_->model()->headerData(column_, Qt::Horizontal).toString();
        }
        switch (t) {
        case QAccessible::Name: {
            const QString text = index_.data(Qt::AccessibleTextRole).toString();
            return text.isEmpty() ? index_.data(Qt::DisplayRole).toString() : text;
        }
        case QAccessible::Description:
            return index_.data(Qt::AccessibleDescriptionRole).toString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        if (isHeader()) {
            const QHeaderView *h = view_->header();
            const QPoint origin = h->mapToGlobal(QPoint(h->sectionViewportPosition(column_), 0));
            return QRect(origin, QSize(h->sectionSize(column_), h->height()));
        }
        return view_->visualRect(index_).translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::Role role() const override
    {
        return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        if (isHeader()) {
            st.invisible = view_->header()->isHidden() || view_->header()->sectionSize(column_) == 0;
            return st;
        }
        const QRect onScreen(view_->viewport()->mapToGlobal(QPoint(0, 0)), view_->viewport()->size());
        st.invisible = !onScreen.intersects(rect());
        st.selectable = true;
        st.selected = isSelected();
        st.focusable = true;
        st.focused = view_->hasFocus() && view_->currentIndex().row() == index_.row();
        if (index_.flags() & Qt::ItemIsUserCheckable) {
            st.checkable = true;
            st.checked = index_.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        return st;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return !isHeader() && isValid() && view_->selectionModel()->isSelected(index_);
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return isHeader() ? -1 : index_.row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

  private:
    QPointer<QTreeWidget> view_;
    int row_;
    int column_;
    QPersistentModelIndex index_;
};

class ResultTable : public QAccessibleWidget, public QAccessibleTableInterface
{
  public:
    explicit ResultTable(QWidget *w) : QAccessibleWidget(w, QAccessible::Table) {}
    ~ResultTable() override { forgetCells(); }

    QTreeWidget *view() const { return static_cast<QTreeWidget *>(widget()); }
    int rows() const { return view()->model()->rowCount(view()->rootIndex()); }

    int childCount() const override { return (rows() + 1) * kAccessibleColumns; }

    QAccessibleInterface *child(int i) const override
    {
        if (i < 0 || i >= childCount())
            return nullptr;
        // Without an assistive technology listening, the view sends no
        // model events: a cell whose row went away is made anew here.
        if (const auto found = cells_.constFind(i); found != cells_.cend()) {
            QAccessibleInterface *cell = QAccessible::accessibleInterface(*found);
            if (cell && cell->isValid() && indexOfChild(cell) == i)
                return cell;
            QAccessible::deleteAccessibleInterface(*found);
            cells_.erase(found);
        }
        auto *cell = new ResultCell(view(), i / kAccessibleColumns - 1, i % kAccessibleColumns);
        cells_.insert(i, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    int indexOfChild(const QAccessibleInterface *iface) const override
    {
        const auto *cell = dynamic_cast<const ResultCell *>(iface);
        if (!cell || !cell->isValid() || cell->parent() != this)
            return -1;
        return (cell->rowIndex() + 1) * kAccessibleColumns + cell->columnIndex();
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint global(x, y);
        const QHeaderView *h = view()->header();
        const QPoint inHeader = h->mapFromGlobal(global);
        if (h->isVisible() && h->rect().contains(inHeader)) {
            const int column = h->logicalIndexAt(inHeader.x());
            return column >= 0 && column < kAccessibleColumns ? child(column) : nullptr;
        }
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(global));
        return child(AccessibleChildIndex(index));
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rows() || column < 0 || column >= kAccessibleColumns)
            return nullptr;
        return child((row + 1) * kAccessibleColumns + column);
    }
    int selectedCellCount() const override { return selectedRowCount() * kAccessibleColumns; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int row : selectedRows())
            for (int c = 0; c < kAccessibleColumns; ++c)
                cells.append(cellAt(row, c));
        return cells;
    }
    QString columnDescription(int column) const override
    {
        if (column < 0 || column >= kAccessibleColumns)
            return {};
        return view()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return kAccessibleColumns; }
    int rowCount() const override { return rows(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rowsOut;
        for (const QModelIndex &i : view()->selectionModel()->selectedRows())
            rowsOut.append(i.row());
        std::sort(rowsOut.begin(), rowsOut.end());
        return rowsOut;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override
    {
        return view()->selectionModel()->isRowSelected(row, view()->rootIndex());
    }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rows())
            return false;
        view()->setCurrentIndex(view()->model()->index(row, 0, view()->rootIndex()));
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override
    {
        if (row < 0 || row >= rows())
            return false;
        view()->selectionModel()->select(view()->model()->index(row, 0, view()->rootIndex()),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }

    // Rows come and go, and a sort moves them: the cells are made anew.
    void modelChange(QAccessibleTableModelChangeEvent *) override { forgetCells(); }

  private:
    void forgetCells()
    {
        for (const QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable QHash<int, QAccessible::Id> cells_;
};

QList<QAccessibleInterface *> ResultCell::columnHeaderCells() const
{
    QAccessibleInterface *t = table();
    QAccessibleInterface *header = t ? t->child(column_) : nullptr;
    return header ? QList<QAccessibleInterface *>{header} : QList<QAccessibleInterface *>{};
}

QAccessibleInterface *ResultListFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("vs::ResultList") && object && object->isWidgetType())
        return new ResultTable(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void InstallResultListAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(ResultListFactory);
        return true;
    }();
    (void)installed;
}

int AccessibleChildIndex(const QModelIndex &index)
{
    if (!index.isValid() || index.column() >= kAccessibleColumns)
        return -1;
    return (index.row() + 1) * kAccessibleColumns + index.column();
}

} // namespace vs
