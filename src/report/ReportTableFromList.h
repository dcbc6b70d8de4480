// The report's table read from a list view: the window side of ReportTable.
#pragma once

#include "report/ReportTable.h"

#include <functional>

class QTreeWidget;

namespace vs
{

// Reads a list view generically: header captions, the rows' check boxes and
// texts of the first three columns, the first row being the parent row.
// Widths come from `widthTwips(column)`, columns numbered from 1 as the main
// list numbers them; without it, from the header in pixels.
ReportTable ReportTableFromList(const QTreeWidget &list,
                                const std::function<float(int column)> &widthTwips = {});

} // namespace vs
