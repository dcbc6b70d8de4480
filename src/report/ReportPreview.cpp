#include "ReportPreview.h"

#include "report/Cp1251.h"
#include "widgets/ScreenPlacement.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace vs
{
namespace
{

const QRegularExpression &ButtonElement()
{
    static const QRegularExpression re(QStringLiteral("<BUTTON\\b[^>]*>(.*?)</BUTTON>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    return re;
}

} // namespace

QString PreviewHtml(const QString &page)
{
    QString html = page;
    html.replace(ButtonElement(), QStringLiteral("<a href=\"print:\">\\1</a>"));
    return html;
}

QString PaperHtml(const QString &page)
{
    QString html = page;
    html.remove(ButtonElement());
    return html;
}

ReportPreview::ReportPreview(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    resize(900, 650);
    pageView_ = new QTextBrowser(this);
    pageView_->setObjectName(QStringLiteral("WebBrowser1"));
    pageView_->setOpenLinks(false);
    pageView_->setAccessibleName(QStringLiteral("Отчёт"));
    connect(pageView_, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == QStringLiteral("print"))
            print();
    });
    auto *printAction = new QAction(QStringLiteral("Печать..."), this);
    printAction->setObjectName(QStringLiteral("PrintAction"));
    printAction->setShortcut(QKeySequence::Print);
    printAction->setToolTip(QStringLiteral("Печать отчета на принтере или в файл PDF"));
    connect(printAction, &QAction::triggered, this, &ReportPreview::print);
    auto *closeAction = new QAction(QStringLiteral("Закрыть"), this);
    closeAction->setObjectName(QStringLiteral("CloseAction"));
    closeAction->setShortcut(QKeySequence::Close);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("Toolbar1"));
    toolBar->setAccessibleName(QStringLiteral("Панель инструментов"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->addAction(printAction);
    toolBar->addAction(closeAction);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(pageView_);
}

bool ReportPreview::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    path_ = path;
    page_ = DecodeCp1251(file.readAll());
    pageView_->setHtml(PreviewHtml(page_));
    return true;
}

void ReportPreview::printOn(QPrinter &printer) const
{
    QTextDocument doc;
    doc.setDefaultFont(pageView_->document()->defaultFont());
    doc.setHtml(PaperHtml(page_));
    doc.print(&printer);
}

bool ReportPreview::printToPdf(const QString &pdfPath) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    printOn(printer);
    return QFileInfo(pdfPath).size() > 0;
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    printOn(printer);
}

void OpenReportPreview(const QString &path, QWidget *)
{
    // Like a page opened by the desktop, the preview belongs to no window and
    // may outlive the main window.
    auto *preview = new ReportPreview(nullptr);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    if (!preview->load(path)) {
        delete preview;
        return;
    }
    PlaceOnScreen(preview, MainWindowScreen());
    preview->show();
}

} // namespace vs
