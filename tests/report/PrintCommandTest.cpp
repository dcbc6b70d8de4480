#include "ReportFixtures.h"

#include "support/Fakes.h"

#include "report/Form4.h"
#include "report/PrintCommand.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

// The command with a recorded dialog, message boxes and preview, writing into
// a temporary program folder.
struct Command {
    Command()
    {
        services.boxes = &boxes;
        services.today = QDate(2007, 12, 14);
        ReportPlace place;
        place.programFolder = dir.path();
        place.userFolder = dir.filePath(U("user"));
        place.writable = [](const QString &) { return true; };
        services.place = place;
        services.openPreview = [this](const QString &path, QWidget *) { previews << path; };
        services.runDialog = [this](Form4 &dialog) {
            ++dialogs;
            if (script)
                script(dialog);
        };
    }
    void run(bool scanRunning, const ReportTable &table)
    {
        PrintCommand(
            scanRunning, [&table] { return table; }, fields, nullptr, services);
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    PrintServices services;
    PrintFields fields;
    QStringList previews;
    int dialogs = 0;
    std::function<void(Form4 &)> script;
};

void Type(Form4 &d, const QString &h1, const QString &h2, const QString &h3, const QString &name)
{
    d.headingBox(0)->setPlainText(h1);
    d.headingBox(1)->setPlainText(h2);
    d.headingBox(2)->setPlainText(h3);
    d.copyNameBox()->setText(name);
}

} // namespace

TEST(PrintCommand, RefusesDuringAScanAndWithAnEmptyList)
{
    for (const bool scanning : {true, false}) {
        Command c;
        ReportTable table = GoldenList();
        if (!scanning)
            table.rows.clear();
        c.run(scanning, table);
        ASSERT_EQ(c.boxes.boxes.size(), 1u);
        EXPECT_EQ(c.boxes.boxes[0].text, U("Нет данных для печати!"));
        EXPECT_EQ(c.boxes.boxes[0].title, U("Печать"));
        EXPECT_EQ(c.boxes.boxes[0].icon, MessageBoxes::Icon::Information);
        EXPECT_EQ(c.dialogs, 0);
        EXPECT_TRUE(FilesIn(c.dir.path()).isEmpty());
    }
}

TEST(PrintCommand, ConfirmedDialogWritesTheReportWithTrimmedNameAndUntrimmedHeadings)
{
    Command c;
    c.fields = {U("old1"), U("old2"), U("old3"), U("old"), true};
    c.script = [&](Form4 &d) {
        // The fields were cleared before the dialog showed.
        EXPECT_EQ(c.fields.heading1, QString());
        EXPECT_FALSE(c.fields.confirmed);
        EXPECT_EQ(d.copyNameBox()->text(), U("dir_12-14-2007"));
        Type(d, U(" Отчет "), U("строка 1\nстрока 2"), U("<b>итог</b>"), U("  отчет 1  "));
        QTest::mouseClick(d.button(0), Qt::LeftButton);
    };
    ReportTable table;
    table.columns = MainColumns();
    table.rows = {ParentRow()}; // the parent row alone passes the check
    c.run(false, table);

    EXPECT_EQ(c.dialogs, 1);
    EXPECT_TRUE(c.boxes.boxes.empty());
    EXPECT_EQ(c.fields.heading1, U(" Отчет "));
    EXPECT_EQ(c.fields.heading2, U("строка 1\nстрока 2"));
    EXPECT_EQ(c.fields.heading3, U("<b>итог</b>"));
    EXPECT_EQ(c.fields.copyName, U("отчет 1"));
    EXPECT_TRUE(c.fields.confirmed);
    EXPECT_EQ(FilesIn(c.dir.path()), (QStringList{U("temp.hta"), U("отчет 1.htm")}));
    EXPECT_EQ(c.previews, QStringList{c.dir.filePath(U("temp.hta"))});
    const QByteArray page = ReadAll(c.dir.filePath(U("temp.hta")));
    EXPECT_TRUE(page.contains("'> \xCE\xF2\xF7\xE5\xF2 </p>"));
    EXPECT_TRUE(page.contains("'>\xF1\xF2\xF0\xEE\xEA\xE0 1\r\n\xF1\xF2\xF0\xEE\xEA\xE0 2</p>"));
    EXPECT_TRUE(page.contains("\r\n  </TABLE>\r\n")); // header line, then no rows
}

TEST(PrintCommand, BlankNameWritesOnlyThePreview)
{
    Command c;
    c.script = [](Form4 &d) {
        Type(d, {}, {}, {}, U("   "));
        d.acceptHeadings();
    };
    c.run(false, GoldenList());
    EXPECT_EQ(c.fields.copyName, QString());
    EXPECT_EQ(FilesIn(c.dir.path()), QStringList{U("temp.hta")});
    EXPECT_EQ(c.previews.size(), 1);
}

TEST(PrintCommand, CancelCloseBoxAndEscapeWriteNothing)
{
    const std::vector<std::function<void(Form4 &)>> ways = {
        [](Form4 &d) { QTest::mouseClick(d.button(1), Qt::LeftButton); },
        [](Form4 &d) {
            d.show();
            d.close(); // the window's close box
        },
        [](Form4 &d) {
            d.show();
            QTest::keyClick(d.copyNameBox(), Qt::Key_Escape);
            QTest::keyClick(d.copyNameBox(), Qt::Key_Return);
            EXPECT_TRUE(d.isVisible()); // neither key closes the dialog
            d.close();
        },
    };
    for (size_t i = 0; i < ways.size(); ++i) {
        Command c;
        c.script = [&](Form4 &d) {
            Type(d, U("a"), U("b"), U("c"), U("name"));
            ways[i](d);
        };
        c.run(false, GoldenList());
        EXPECT_EQ(c.dialogs, 1) << i;
        EXPECT_FALSE(c.fields.confirmed) << i;
        EXPECT_EQ(c.fields.heading1 + c.fields.heading2 + c.fields.heading3 + c.fields.copyName, QString())
            << i;
        EXPECT_TRUE(FilesIn(c.dir.path()).isEmpty()) << i;
        EXPECT_TRUE(c.previews.isEmpty()) << i;
        EXPECT_TRUE(c.boxes.boxes.empty()) << i;
    }
}

TEST(Form4, LayoutTextsAndFocusOrder)
{
    PrintFields fields;
    Form4 d(fields, QDate(2007, 12, 4));
    EXPECT_EQ(d.windowTitle(), U("Печать"));
    EXPECT_EQ(d.size(), QSize(527, 296));
    EXPECT_EQ(d.copyNameBox()->text(), U("dir_12-04-2007"));
    EXPECT_EQ(DefaultReportName(QDate(2031, 1, 9)), U("dir_01-09-2031"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(d.headingBox(i)->toPlainText(), QString());
    EXPECT_EQ(d.caption(0)->text(), U("Заголовок 1"));
    EXPECT_EQ(d.caption(2)->text(), U("Заголовок 3"));
    EXPECT_EQ(d.caption(3)->text(), U("Имя файла"));
    EXPECT_EQ(d.button(0)->text(), U("Печать"));
    EXPECT_EQ(d.button(1)->text(), U("Отмена"));
    EXPECT_EQ(d.button(0)->geometry(), QRect(131, 264, 123, 24));
    EXPECT_EQ(d.headingBox(1)->geometry(), QRect(1, 93, 525, 56));
    EXPECT_EQ(d.copyNameBox()->geometry(), QRect(73, 234, 247, 22));
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(d.button(i)->isDefault());
        EXPECT_FALSE(d.button(i)->autoDefault());
    }
    const auto texts = d.findChildren<QPlainTextEdit *>(U("Text1"));
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[1]->property("index").toInt(), 1);

    d.show();
    QWidget *const expected[] = {d.headingBox(0), d.button(0), d.headingBox(1), d.headingBox(2),
                                 d.copyNameBox(), d.button(1), d.headingBox(0)};
    d.headingBox(0)->setFocus();
    QApplication::setActiveWindow(&d);
    QWidget *w = d.headingBox(0);
    for (size_t i = 1; i < std::size(expected); ++i) {
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        EXPECT_EQ(w, expected[i]) << i;
    }
}

TEST(Form4, EnterInAHeadingStartsANewLineAndEnterOnAButtonPressesIt)
{
    PrintFields fields;
    Form4 d(fields);
    d.show();
    QApplication::setActiveWindow(&d);
    d.headingBox(2)->setFocus();
    QTest::keyClicks(d.headingBox(2), QStringLiteral("one"));
    QTest::keyClick(d.headingBox(2), Qt::Key_Return);
    QTest::keyClicks(d.headingBox(2), QStringLiteral("two"));
    d.button(0)->setFocus();
    QTest::keyClick(d.button(0), Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(fields.confirmed);
    EXPECT_EQ(fields.heading3, U("one\ntwo"));
    EXPECT_EQ(fields.copyName, DefaultReportName(QDate::currentDate()));
}

TEST(ReportTableFromList, ReadsCaptionsTicksTextsAndWidths)
{
    QTreeWidget list;
    list.setColumnCount(5);
    list.setHeaderLabels({U("Папка"), U("Процентное соотношение"), U("Размер"), QString(), QString()});
    const auto add = [&](const char *path, const char *bar, const char *size, Qt::CheckState s) {
        auto *item = new QTreeWidgetItem(&list, QStringList{U(path), U(bar), U(size), U("k"), U("p")});
        item->setCheckState(0, s);
    };
    add("\\...", "", "", Qt::Checked);
    add("/b", "||", "2,0 байт", Qt::Unchecked);
    add("/a", "|", "1,0 байт", Qt::Checked);
    list.setColumnWidth(0, 100);

    ReportTable t = ReportTableFromList(list, [](int column) { return 1492.5f + column; });
    ASSERT_EQ(t.columns.size(), 5u);
    EXPECT_EQ(t.columns[1].caption, U("Процентное соотношение"));
    EXPECT_EQ(t.columns[0].widthTwips, 1493.5f); // column 1
    EXPECT_EQ(t.columns[2].widthTwips, 1495.5f);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_TRUE(t.rows[0].parent);
    EXPECT_TRUE(t.rows[0].ticked);
    EXPECT_FALSE(t.rows[1].parent);
    EXPECT_FALSE(t.rows[1].ticked);
    EXPECT_TRUE(t.rows[2].ticked);
    EXPECT_EQ(t.rows[2].path, U("/a"));
    EXPECT_EQ(t.rows[2].bar, U("|"));
    EXPECT_EQ(t.rows[2].size, U("1,0 байт"));

    EXPECT_EQ(ReportTableFromList(list).columns[0].widthTwips, 1500.0f);

    // The command reads the same list: with rows it asks, without rows it refuses.
    Command c;
    PrintCommand(false, list, {}, c.fields, nullptr, c.services);
    EXPECT_EQ(c.dialogs, 1);
    list.clear();
    PrintCommand(false, list, {}, c.fields, nullptr, c.services);
    EXPECT_EQ(c.dialogs, 1);
    EXPECT_EQ(c.boxes.boxes.size(), 1u);
}
