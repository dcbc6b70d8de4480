#include "ReportFixtures.h"

#include "report/HtmlReport.h"
#include "report/PrintCommand.h"
#include "report/ReportPreview.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

QString PdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

ReportTable PrintedList()
{
    ReportTable t;
    t.columns = MainColumns();
    t.rows = {ParentRow(true), Row(true, U("/home/user/Документы"), 70, "12,5 Мбайт"),
              Row(false, U("/home/user/невидимая"), 30, "4,0 Мбайт"),
              Row(true, U("/srv/a<b>&c"), 12, "1,0 Мбайт"), Row(true, U("/srv/галочка✓"), 1, "0,0 байт")};
    return t;
}

} // namespace

TEST(ReportPreview, PrintsThePageToPdfWithoutItsButton)
{
    QTemporaryDir dir;
    Output o(dir.path());
    ASSERT_TRUE(WriteHtmlReport(PrintedList(), U("Отчет по диску"), QString(), U("Итог"), QString(), o.out));
    ASSERT_EQ(o.previews.size(), 1);

    ReportPreview preview;
    ASSERT_TRUE(preview.load(o.previews[0]));
    const QString pdf = dir.filePath(U("report.pdf"));
    ASSERT_TRUE(preview.printToPdf(pdf));
    const QString text = PdfText(pdf);
    ASSERT_FALSE(text.isEmpty()) << "pdftotext failed";
    EXPECT_TRUE(text.contains(U("/home/user/Документы"))) << text.toStdString();
    EXPECT_TRUE(text.contains(U("/srv/a<b>&c"))) << text.toStdString();
    EXPECT_TRUE(text.contains(U("/srv/галочка✓"))) << text.toStdString();
    EXPECT_TRUE(text.contains(U("Отчет по диску")));
    EXPECT_TRUE(text.contains(U("12,5 Мбайт")));
    EXPECT_FALSE(text.contains(U("невидимая")));
    EXPECT_FALSE(text.contains(U("\\...")));
    EXPECT_FALSE(text.contains(U("Печать")));
}

TEST(ReportPreview, ShowsTheDecodedPageWithAPrintLink)
{
    QTemporaryDir dir;
    Output o(dir.path());
    ASSERT_TRUE(WriteHtmlReport(PrintedList(), QString(), QString(), QString(), QString(), o.out));
    ReportPreview preview;
    ASSERT_TRUE(preview.load(o.previews[0]));
    EXPECT_EQ(preview.windowTitle(), U("Предварительный просмотр"));
    EXPECT_TRUE(preview.page().contains(U("<TD>/srv/a&lt;b&gt;&amp;c<TD>")));
    const auto *browser = preview.findChild<QTextBrowser *>(U("WebBrowser1"));
    ASSERT_NE(browser, nullptr);
    const QString shown = browser->toPlainText();
    EXPECT_TRUE(shown.contains(U("/srv/a<b>&c")));
    EXPECT_TRUE(shown.contains(U("/srv/галочка✓")));
    EXPECT_TRUE(shown.contains(U("Печать")));
    EXPECT_TRUE(browser->toHtml().contains(U("href=\"print:\"")));

    EXPECT_FALSE(preview.load(dir.filePath(U("missing.hta"))));
}

TEST(ReportPreview, PaperAndScreenVersionsOfTheButton)
{
    const QString page = U("<BODY>\r\n  <P><BUTTON id='prn' onclick=\"a();b()\">Печать</BUTTON>\r\n </BODY>");
    EXPECT_EQ(PaperHtml(page), U("<BODY>\r\n  <P>\r\n </BODY>"));
    EXPECT_EQ(PreviewHtml(page), U("<BODY>\r\n  <P><a href=\"print:\">Печать</a>\r\n </BODY>"));
}

TEST(ReportPreview, OpensAsAnOwnerlessWindowThatDeletesItself)
{
    QTemporaryDir dir;
    Output o(dir.path());
    ASSERT_TRUE(WriteHtmlReport(PrintedList(), QString(), QString(), QString(), QString(), o.out));
    QWidget owner;
    OpenReportPreview(o.previews[0], &owner);
    ReportPreview *shown = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w))
            shown = p;
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->parentWidget(), nullptr);
    EXPECT_TRUE(shown->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(shown->path(), o.previews[0]);
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<ReportPreview *>(w), nullptr);
}

TEST(ReportPreview, ThePrintCommandOpensThePreviewWindowWhenNoneIsNamed)
{
    QTemporaryDir dir;
    PrintServices services;
    ReportPlace place;
    place.programFolder = dir.path();
    place.writable = [](const QString &) { return true; };
    services.place = place;
    services.runDialog = [](Form4 &d) { d.acceptHeadings(); };
    PrintFields fields;
    const ReportTable table = PrintedList();
    PrintCommand(
        false, [&table] { return table; }, fields, nullptr, services);

    std::vector<ReportPreview *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w))
            shown.push_back(p);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->path(), dir.filePath(U("temp.hta")));
    EXPECT_TRUE(shown[0]->page().contains(U("<TD>/srv/a&lt;b&gt;&amp;c<TD>")));
    shown[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(ReportPreview, TheWriterAloneOpensNothingAndShowsNothing)
{
    // Below the windows the writer has no preview or message box of its own:
    // without them it only writes, or only reports the failure by its result.
    QTemporaryDir dir;
    ReportOutput out;
    out.place.programFolder = dir.path();
    out.place.writable = [](const QString &) { return true; };
    EXPECT_TRUE(WriteHtmlReport(PrintedList(), QString(), QString(), QString(), QString(), out));
    EXPECT_EQ(FilesIn(dir.path()), QStringList{U("temp.hta")});
    out.place.programFolder = dir.filePath(U("gone"));
    EXPECT_FALSE(WriteHtmlReport(PrintedList(), QString(), QString(), QString(), QString(), out));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}
