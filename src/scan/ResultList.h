// ListView1: the result of the last scan. A parent row "\..." on top and one
// row per measured subfolder with a bar of "|" in its band colour, the size
// text and two hidden key columns (zero-padded size, path) that the list
// sorts by. The parent row gets keys that sort before every other key in
// either order, so it stays on top. Rows keep their path as bytes
// (Qt::UserRole of column 0): the shown text is only a decoding of it.
#pragma once

#include "util/ByteCount.h"

#include <QByteArray>
#include <QTreeWidget>
#include <array>
#include <vector>

class QLabel;

namespace vs
{

struct FolderRow {
    QByteArray path;
    ByteCount size;
};

// The parent of a folder, "/" playing the drive root: "/" gives "/", "/home"
// gives "/", "/home/u" gives "/home". Surrounding spaces are dropped first;
// "" gives "".
QByteArray ParentFolder(const QByteArray &path);

class ResultList : public QTreeWidget
{
    Q_OBJECT
  public:
    static constexpr int kColumns = 5;

    explicit ResultList(QWidget *parent = nullptr);

    // The count label (Label1) the list writes its texts into.
    void setCountLabel(QLabel *label);

    // Replaces every row: the parent row, then rows in the order given.
    // n = 0 leaves only the parent row.
    void fill(const std::vector<FolderRow> &rows, ByteCount maxSize, int n);
    // Sorts by path (column 1) or by size (2..5). keepOrder false reverses the
    // order first; the very first sort is therefore descending.
    void sortBy(int column, bool keepOrder);
    // The column (1..5) of the last sort, 0 before the first.
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return order_; }
    // The list's automatic sorting: while on, the rows stay ordered by the
    // key of the last sort (a fill is sorted at once). Header clicks sort
    // through sortBy either way.
    void setAutomaticSorting(bool on);
    bool automaticSorting() const { return autoSort_; }

    bool hasRows() const { return topLevelItemCount() > 0; }
    int rowCount() const { return topLevelItemCount(); }
    // Position of the selected row, 0 being the parent row; -1 when none.
    int selectedRowIndex() const;
    // The row's path as bytes; empty for the parent row or a bad index.
    QByteArray rowPath(int row) const;
    QString rowText(int row, int column /*1..5*/) const;
    bool rowChecked(int row) const;
    void setRowChecked(int row, bool checked);
    bool isParentRow(int row) const;

    // Column widths are kept in twips as single-precision values; the view
    // shows them in pixels.
    void setColumnWidthTwips(int column /*1..5*/, float twips);
    float columnWidthTwips(int column) const;

    // The column click: column 4 dragged open closes again, then the rows
    // are sorted by that column.
    void columnClicked(int column /*1..5*/);
    // The text written into Label1 when a mouse button is released.
    void showSelectionText();

  signals:
    void drillDownRequested();
    void contextMenuRequested(const QPoint &globalPos);

  protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;

  private:
    void setCountText(const QString &text);

    QLabel *countLabel_ = nullptr;
    QTreeWidgetItem *parentRow_ = nullptr;
    int sortColumn_ = 0;
    Qt::SortOrder order_ = Qt::AscendingOrder;
    std::array<float, kColumns> widths_{5203.0f, 5292.0f, 2205.0f, 0.0f, 0.0f};
    bool applyingWidth_ = false;
    bool autoSort_ = false;
};

} // namespace vs
