#include "ReportTableFromList.h"

#include "widgets/Twips.h"

#include <QTreeWidget>

namespace vs
{

ReportTable ReportTableFromList(const QTreeWidget &list, const std::function<float(int column)> &widthTwips)
{
    ReportTable table;
    const QTreeWidgetItem *header = list.headerItem();
    const int columns = list.columnCount();
    table.columns.reserve(size_t(columns));
    for (int c = 0; c < columns; ++c) {
        ReportColumn col;
        col.caption = header ? header->text(c) : QString();
        col.widthTwips = widthTwips ? widthTwips(c + 1) : float(Tw(list.columnWidth(c)));
        table.columns.push_back(col);
    }
    const int count = list.topLevelItemCount();
    table.rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *item = list.topLevelItem(i);
        ReportRow row;
        row.parent = i == 0;
        row.ticked = item->checkState(0) == Qt::Checked;
        row.path = item->text(0);
        row.bar = item->text(1);
        row.size = item->text(2);
        table.rows.push_back(row);
    }
    return table;
}

} // namespace vs
