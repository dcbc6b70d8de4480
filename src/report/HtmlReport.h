// The report writer: the ticked rows of the folder list as an HTML page with
// up to three headings, written to the preview file "temp.hta" (and, when
// named, a lasting copy "<name>.htm") and then shown in the preview window.
//
// The page text is fixed line by line; every line ends with CR LF and the
// file is Windows-1251. Texts that come from the file system are escaped so
// a folder name can never inject markup; the headings are the user's own and
// go in as typed, markup and all.
#pragma once

#include "report/ReportFiles.h"
#include "report/ReportTable.h"

#include <QString>
#include <functional>

class QWidget;

namespace vs
{

class MessageBoxes;

// Every blank replaced by `breakText`, and one more `breakText` at the end.
QString BreakAtSpaces(const QString &text, const QString &breakText);

// A column width in twips as the page's pixel width: rounded to a whole
// number of twips (halves to even), then 15 to a pixel, remainder dropped.
int PixelWidth(float twips);

// &, <, >, " and control characters as references.
QString EscapeHtml(const QString &text);

// Lines 14 to the "  </TABLE>" line of the page, joined by CR LF, without the
// last line end: the table line, the header line with the headings, and one
// line per ticked row with its running number.
QString BuildReportTable(const ReportTable &list, const QString &heading1, const QString &heading2,
                         const QString &heading3);

// The whole page as text, every line ended by CR LF.
QString HtmlReportText(const ReportTable &list, const QString &heading1, const QString &heading2,
                       const QString &heading3);

// Opens a written report for viewing and printing.
using PreviewOpener = std::function<void(const QString &path, QWidget *parent)>;

// Where the report goes and who shows it. This layer has no windows: the
// print command (PrintCommand.h) fills in the real message boxes and the
// program's preview window when its caller names none.
struct ReportOutput {
    ReportPlace place = DefaultReportPlace();
    MessageBoxes *boxes = nullptr; // shows a failure; nullptr: only the result tells
    PreviewOpener openPreview;     // empty: the file is written, not opened
    QWidget *parent = nullptr;     // owner of message boxes and preview
};

// Writes "temp.hta", copies it to "<copyName>.htm" unless copyName is empty,
// and opens the preview. A failure is shown to the user naming the file and
// the reason, and ends the report: no preview of a file not fully written.
// Returns whether the report was written and handed to the preview.
bool WriteHtmlReport(const ReportTable &list, const QString &heading1, const QString &heading2,
                     const QString &heading3, const QString &copyName, const ReportOutput &output = {});

} // namespace vs
