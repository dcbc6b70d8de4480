// What the report reads from the main window's folder list: the columns with
// their captions and widths, and per row its tick and its first three texts.
// The list itself lives in scan/; this view keeps the report free of it, and
// free of widgets: ReportTableFromList.h reads it from a list view.
#pragma once

#include <QString>
#include <vector>

namespace vs
{

struct ReportColumn {
    QString caption;
    float widthTwips = 0; // single precision, as the list keeps it
};

struct ReportRow {
    bool parent = false; // the row leading to the parent folder: never printed
    bool ticked = false;
    QString path; // first column, as the list shows it
    QString bar;  // second column
    QString size; // third column
};

struct ReportTable {
    // Every column of the list; the report prints all but the last two,
    // which only hold the list's sort keys.
    std::vector<ReportColumn> columns;
    std::vector<ReportRow> rows; // in list order
};

} // namespace vs
