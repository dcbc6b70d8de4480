// What the report reads from the main window's folder list: the columns with
// their captions and widths, and per row its tick and its first three texts.
// The list itself lives in scan/; this view keeps the report free of it.
#pragma once

#include <QString>
#include <functional>
#include <vector>

class QTreeWidget;

namespace vs {

struct ReportColumn {
    QString caption;
    float widthTwips = 0; // single precision, as the list keeps it
};

struct ReportRow {
    bool parent = false; // the row leading to the parent folder: never printed
    bool ticked = false;
    QString path;        // first column, as the list shows it
    QString bar;         // second column
    QString size;        // third column
};

struct ReportTable {
    // Every column of the list; the report prints all but the last two,
    // which only hold the list's sort keys.
    std::vector<ReportColumn> columns;
    std::vector<ReportRow> rows; // in list order
};

// Reads a list view generically: header captions, the rows' check boxes and
// texts of the first three columns, the first row being the parent row.
// Widths come from `widthTwips(column)`, columns numbered from 1 as the main
// list numbers them; without it, from the header in pixels.
ReportTable ReportTableFromList(const QTreeWidget &list,
                                const std::function<float(int column)> &widthTwips = {});

} // namespace vs
