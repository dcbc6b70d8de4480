// The main window's print command: refuses when there is nothing to print,
// asks for headings and a copy name in `Form4`, then writes and previews the
// report of the ticked rows.
#pragma once

#include "report/Form4.h"
#include "report/HtmlReport.h"
#include "report/ReportTableFromList.h"

#include <QDate>
#include <functional>
#include <optional>

class QTreeWidget;
class QWidget;

namespace vs
{

class MessageBoxes;

// Shows the dialog and returns when it has closed.
using DialogRunner = std::function<void(Form4 &dialog)>;
// Reads the main list as the report sees it.
using ReportTableSource = std::function<ReportTable()>;

// What the command uses besides the main window; tests replace any of it.
struct PrintServices {
    MessageBoxes *boxes = nullptr;    // nullptr: the real message boxes
    DialogRunner runDialog;           // empty: modal exec()
    PreviewOpener openPreview;        // empty: the preview window
    std::optional<ReportPlace> place; // empty: DefaultReportPlace()
    QDate today;                      // invalid: the current date
};

// Clears the fields, runs the dialog, trims the copy name and, when the dialog
// was confirmed, writes the report.
void PrintReport(const ReportTableSource &list, PrintFields &fields, QWidget *parent,
                 const PrintServices &services = {});

// "Нет данных для печати!" while a scan runs or when the list has no rows;
// otherwise PrintReport.
void PrintCommand(bool scanRunning, const ReportTableSource &list, PrintFields &fields, QWidget *parent,
                  const PrintServices &services = {});

// The same for a list view read by ReportTableFromList.
void PrintCommand(bool scanRunning, const QTreeWidget &list,
                  const std::function<float(int column)> &widthTwips, PrintFields &fields, QWidget *parent,
                  const PrintServices &services = {});

} // namespace vs
