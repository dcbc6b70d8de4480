// What a screen reader sees of the result list: a table of the three shown
// columns (folder, share, size). The two sort-key columns stay out of it,
// although they are columns of the view (zero wide, opened only by a drag),
// and the bar column reads as the share ("37 %", the data role
// Qt::AccessibleTextRole) instead of a row of "|".
//
// Qt's own table interface numbers a view's cells over all model columns, so
// the list sends its focus and selection events with this table's numbering
// (AccessibleChildIndex).
#pragma once

#include <QModelIndex>

class QTreeWidget;

namespace vs
{

// The columns a screen reader sees: view columns 0 to kAccessibleColumns - 1.
constexpr int kAccessibleColumns = 3;

// Makes queryAccessibleInterface() give the table above for every
// vs::ResultList. Safe to call more than once.
void InstallResultListAccessibility();

// The child number of a cell in that table: the header row comes first.
// -1 for an index in a hidden column or an invalid one.
int AccessibleChildIndex(const QModelIndex &index);

} // namespace vs
