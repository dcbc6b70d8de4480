// The report's preview window. Linux has no host for ".hta" pages, so the
// program shows the written page itself: the file is read back (Windows-1251
// with character references), shown in a text browser, and printed through
// the platform's print dialog, to a printer or a PDF file.
//
// The page's own "Печать" button becomes a link that prints; on paper it is
// left out, as the page itself intends.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;
class QTextDocument;
class QPrinter;

namespace vs
{

// The page as the preview shows it: the button element turned into a link
// to "print:", the headings' paragraphs placed before the table.
QString PreviewHtml(const QString &page);
// The page as it goes on paper: the same without the button.
QString PaperHtml(const QString &page);

class ReportPreview : public QWidget
{
    Q_OBJECT
  public:
    explicit ReportPreview(QWidget *parent = nullptr);

    // Reads and shows the report file; false when it cannot be read.
    bool load(const QString &path);
    const QString &path() const { return path_; }
    // The page as read from the file.
    const QString &page() const { return page_; }

    // Prints without asking (for tests and scripted use).
    bool printToPdf(const QString &pdfPath) const;

  public slots:
    // The platform's print dialog, then the page on the chosen printer.
    void print();

  private:
    void printOn(QPrinter &printer) const;

    QTextBrowser *pageView_ = nullptr;
    QString path_;
    QString page_;
};

// Opens a new preview window on the file, not modal, not awaited; it deletes
// itself when closed.
void OpenReportPreview(const QString &path, QWidget *parent);

} // namespace vs
