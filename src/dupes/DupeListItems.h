// The rows of the duplicate list as list items: the shown texts and colours
// of a DupeRow, plus, in data roles, everything the actions need (the path's
// own bytes, the group, the identity when listed), so nothing is ever read
// back from the shown text.
#pragma once

#include "dupes/engine/DupeActions.h"

#include <QTreeWidgetItem>
#include <vector>

namespace vs
{

constexpr int kPathRole = Qt::UserRole;

// The item of one row; `file` is what IdentifyRows found for it.
QTreeWidgetItem *MakeDupeItem(const DupeRow &row, const ListedFile &file);
ListedFile ListedFileOf(const QTreeWidgetItem *item);

// Marks the items that are hard links of other items of the list (tool tip
// "жёсткая ссылка: " and the other paths, size in italics) and unmarks the
// rest; the row's own tool tip stays in front.
void MarkHardLinks(const std::vector<QTreeWidgetItem *> &items);
// The same with the items' files given (`files[i]` is item i's).
void MarkHardLinks(const std::vector<QTreeWidgetItem *> &items, const std::vector<ListedFile> &files);

// Tree-scan colours again after groups left the list: cyan, yellow, cyan...
void RecolourGroups(const std::vector<QTreeWidgetItem *> &items);

} // namespace vs
