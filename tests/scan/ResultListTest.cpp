#include "scan/ResultList.h"
#include "ScanTestSupport.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;

namespace
{

ByteCount B(int64_t n)
{
    return ByteCount::fromBytes(uint64_t(n));
}

bool SamePicture(const QIcon &icon, int index)
{
    if (icon.isNull())
        return false;
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32) ==
           ImageList1(index).toImage().convertToFormat(QImage::Format_ARGB32);
}

struct List {
    List()
    {
        list.setCountLabel(&label);
        list.resize(900, 400);
        list.show();
    }
    void fill(const std::vector<std::pair<const char *, int64_t>> &rows)
    {
        std::vector<FolderRow> r;
        ByteCount max;
        for (auto [p, s] : rows) {
            r.push_back({QByteArray(p), B(s)});
            max = std::max(max, B(s));
        }
        list.fill(r, max, int(r.size()));
    }
    std::vector<QString> names() const
    {
        std::vector<QString> out;
        for (int i = 0; i < list.rowCount(); ++i)
            out.push_back(list.rowText(i, 1));
        return out;
    }
    QTreeWidgetItem *row(int i) const { return list.topLevelItem(i); }
    void clickHeader(int column)
    {
        QHeaderView *h = list.header();
        const int x = h->sectionViewportPosition(column - 1) + h->sectionSize(column - 1) / 2;
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
    }
    QLabel label;
    ResultList list;
};

} // namespace

TEST(ResultList, ColumnsAndLook)
{
    List l;
    EXPECT_EQ(l.list.objectName(), QStringLiteral("ListView1"));
    ASSERT_EQ(l.list.columnCount(), 5);
    const QTreeWidgetItem *h = l.list.headerItem();
    EXPECT_EQ(h->text(0), QStringLiteral("Папка"));
    EXPECT_EQ(h->text(1), QStringLiteral("Процентное соотношение"));
    EXPECT_EQ(h->text(2), QStringLiteral("Размер"));
    EXPECT_EQ(h->text(3), QString());
    EXPECT_EQ(h->text(4), QString());
    EXPECT_EQ(l.list.columnWidthTwips(1), 5203.0f);
    EXPECT_EQ(l.list.columnWidthTwips(2), 5292.0f);
    EXPECT_EQ(l.list.columnWidthTwips(3), 2205.0f);
    EXPECT_EQ(l.list.columnWidthTwips(4), 0.0f);
    EXPECT_EQ(l.list.columnWidthTwips(5), 0.0f);
    EXPECT_EQ(l.list.header()->sectionSize(0), Px(5203));
    EXPECT_EQ(l.list.header()->sectionSize(3), 0);
    EXPECT_EQ(l.list.header()->sectionSize(4), 0);
    EXPECT_EQ(l.list.palette().color(QPalette::Base), QColor(0x80, 0x80, 0x80));
    EXPECT_FALSE(l.list.hasRows());
    EXPECT_EQ(l.list.selectedRowIndex(), -1);

    // Widths are kept unrounded in twips; the view gets pixels.
    l.list.setColumnWidthTwips(2, 2933.3333f);
    EXPECT_EQ(l.list.columnWidthTwips(2), 2933.3333f);
    EXPECT_EQ(l.list.header()->sectionSize(1), 196);
    // A width dragged by the user is read back in twips.
    l.list.header()->resizeSection(2, 100);
    EXPECT_EQ(l.list.columnWidthTwips(3), 1500.0f);
}

TEST(ResultList, ThousandTwoFiftyFiveWithTies)
{
    List l;
    l.fill({{"/d/a", 1000}, {"/d/b", 250}, {"/d/c", 5}, {"/d/e", 150}, {"/d/f", 850}});
    EXPECT_EQ(l.label.text(), QStringLiteral("Кол-во: 5"));
    ASSERT_EQ(l.list.rowCount(), 6);

    QTreeWidgetItem *parent = l.row(0);
    EXPECT_EQ(parent->text(0), QStringLiteral("\\..."));
    EXPECT_TRUE(SamePicture(parent->icon(0), 10));
    EXPECT_EQ(parent->toolTip(0), QString());
    for (int c = 1; c < 5; ++c)
        EXPECT_EQ(parent->text(c), QString()) << c;
    EXPECT_TRUE(l.list.isParentRow(0));
    EXPECT_EQ(l.list.rowPath(0), QByteArray());

    struct Want {
        const char *path;
        int bar;
        int band;
        const char *sizeText;
        const char *key;
    };
    const Want want[] = {{"/d/a", 70, 7, "1 Кбайт", "1000"},
                         {"/d/b", 18, 2, "0,2 Кбайт", "0250"},
                         {"/d/c", 1, 1, "5 байт", "0005"},
                         {"/d/e", 10, 2, "0,1 Кбайт", "0150"},
                         {"/d/f", 60, 7, "0,8 Кбайт", "0850"}};
    for (int i = 0; i < 5; ++i) {
        const Want &w = want[i];
        QTreeWidgetItem *it = l.row(i + 1);
        SCOPED_TRACE(w.path);
        EXPECT_EQ(it->text(0), QString::fromLatin1(w.path));
        EXPECT_EQ(l.list.rowPath(i + 1), QByteArray(w.path));
        EXPECT_EQ(it->text(1), QString(w.bar, QLatin1Char('|')));
        EXPECT_EQ(it->foreground(1).color(), BandColor(w.band));
        EXPECT_TRUE(SamePicture(it->icon(0), w.band));
        EXPECT_EQ(it->text(2), QString::fromUtf8(w.sizeText));
        EXPECT_EQ(it->text(3), QString::fromLatin1(w.key));
        EXPECT_EQ(it->text(4), QString::fromLatin1(w.path));
        EXPECT_EQ(it->toolTip(0),
                  QString::fromLatin1(w.path) + QStringLiteral(" - ") + QString::fromUtf8(w.sizeText));
        EXPECT_EQ(it->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(it->flags() & Qt::ItemIsUserCheckable);
    }
    EXPECT_EQ(parent->checkState(0), Qt::Unchecked);
    EXPECT_EQ(l.list.selectedRowIndex(), 0);
}

TEST(ResultList, AllEmptyAndNothingFound)
{
    List l;
    l.fill({{"/d/a", 0}, {"/d/b", 0}});
    ASSERT_EQ(l.list.rowCount(), 3);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(l.row(r)->text(1), QStringLiteral("|"));
        EXPECT_EQ(l.row(r)->foreground(1).color(), BandColor(1));
        EXPECT_EQ(l.row(r)->text(3), QStringLiteral("0"));
        EXPECT_EQ(l.row(r)->text(2), QStringLiteral("0 байт"));
    }

    l.list.fill({}, ByteCount(), 0);
    EXPECT_EQ(l.label.text(), QStringLiteral("Кол-во: 0"));
    ASSERT_EQ(l.list.rowCount(), 1);
    EXPECT_EQ(l.row(0)->text(0), QStringLiteral("\\..."));
}

TEST(ResultList, SortingByEveryColumnKeepsTheParentRowOnTopAndTheTicks)
{
    List l;
    l.fill({{"/d/b", 300}, {"/d/D", 100}, {"/d/a", 200}, {"/d/c", 50}});
    l.list.setRowChecked(2, true); // /d/D
    l.list.setRowChecked(4, true); // /d/c
    const QString P = QStringLiteral("\\...");
    auto S = [](const char *s) { return QString::fromLatin1(s); };
    auto ticked = [&] {
        std::vector<QString> out;
        for (int i = 0; i < l.list.rowCount(); ++i)
            if (l.list.rowChecked(i))
                out.push_back(l.list.rowText(i, 1));
        return out;
    };

    // First click on "Размер": largest first, picture 8.
    l.clickHeader(3);
    EXPECT_EQ(l.list.sortColumn(), 3);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/b"), S("/d/a"), S("/d/D"), S("/d/c")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(2), 8));
    EXPECT_EQ(l.row(0)->text(3), QString(QChar(0xFF)));

    // Second click: smallest first, picture 9, the parent's keys empty again.
    l.clickHeader(3);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/c"), S("/d/D"), S("/d/a"), S("/d/b")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(2), 9));
    EXPECT_EQ(l.row(0)->text(3), QString());

    // The bar column: descending again, by size; the picture moves.
    l.clickHeader(2);
    EXPECT_EQ(l.list.sortColumn(), 2);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/b"), S("/d/a"), S("/d/D"), S("/d/c")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(1), 8));
    EXPECT_TRUE(l.list.headerItem()->icon(2).isNull());

    // "Папка": by path bytes, ascending then descending.
    l.clickHeader(1);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/D"), S("/d/a"), S("/d/b"), S("/d/c")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(0), 9));
    EXPECT_TRUE(l.list.headerItem()->icon(1).isNull());
    l.clickHeader(1);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/c"), S("/d/b"), S("/d/a"), S("/d/D")}));

    // The hidden key columns sort by size too.
    l.list.columnClicked(5);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/c"), S("/d/D"), S("/d/a"), S("/d/b")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(4), 9));
    l.list.columnClicked(4);
    EXPECT_EQ(l.names(), (std::vector<QString>{P, S("/d/b"), S("/d/a"), S("/d/D"), S("/d/c")}));

    EXPECT_EQ(ticked(), (std::vector<QString>{S("/d/D"), S("/d/c")}));
    EXPECT_TRUE(l.list.isParentRow(0));
}

TEST(ResultList, KeepOrderReappliesWithoutReversing)
{
    List l;
    l.fill({{"/d/a", 1}, {"/d/b", 2}});
    l.list.sortBy(3, false);
    EXPECT_EQ(l.list.sortOrder(), Qt::DescendingOrder);
    l.list.setAutomaticSorting(false); // as a scan does
    l.fill({{"/d/x", 5}, {"/d/y", 9}, {"/d/z", 7}});
    EXPECT_EQ(l.list.rowText(1, 1), QStringLiteral("/d/x")); // scan order until re-sorted
    l.list.sortBy(l.list.sortColumn(), true);
    EXPECT_EQ(l.list.sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(l.names(), (std::vector<QString>{QStringLiteral("\\..."), QStringLiteral("/d/y"),
                                               QStringLiteral("/d/z"), QStringLiteral("/d/x")}));
    EXPECT_TRUE(SamePicture(l.list.headerItem()->icon(2), 8));
}

TEST(ResultList, ClickDuringAScanKeepsTheNewRowsSortedUnderTheParentRow)
{
    List l;
    l.fill({{"/d/a", 1}, {"/d/b", 2}});
    l.list.setAutomaticSorting(false); // a scan starts
    l.clickHeader(3);                  // the user sorts the old rows meanwhile
    l.fill({{"/d/x", 5}, {"/d/y", 9}, {"/d/z", 7}});
    EXPECT_EQ(l.names(), (std::vector<QString>{QStringLiteral("\\..."), QStringLiteral("/d/y"),
                                               QStringLiteral("/d/z"), QStringLiteral("/d/x")}));
    EXPECT_TRUE(l.list.isParentRow(0));
}

TEST(ResultList, HiddenFourthColumnClosesAgainWhenClicked)
{
    List l;
    l.fill({{"/d/a", 1}, {"/d/b", 2}});
    l.list.header()->resizeSection(3, 60); // dragged open
    EXPECT_EQ(l.list.columnWidthTwips(4), 900.0f);
    l.clickHeader(4);
    EXPECT_EQ(l.list.columnWidthTwips(4), 0.0f);
    EXPECT_EQ(l.list.header()->sectionSize(3), 0);
    EXPECT_EQ(l.list.rowText(1, 1), QStringLiteral("/d/b"));

    // No rows: a click sorts nothing.
    List empty;
    empty.list.columnClicked(3);
    EXPECT_EQ(empty.list.sortColumn(), 0);
}

TEST(ResultList, PathsAreBytesAndSortAsBytes)
{
    List l;
    const QByteArray odd("/d/\xff\xfe-x");
    l.list.fill({{odd, B(10)}, {QByteArray("/d/z"), B(20)}, {QByteArray("/d/я"), B(5)}}, B(20), 3);
    EXPECT_EQ(l.list.rowPath(1), odd);
    l.list.sortBy(1, false); // descending paths: 0xFF above UTF-8 above ASCII
    EXPECT_EQ(l.list.rowPath(1), odd);
    EXPECT_EQ(l.list.rowPath(2), QByteArray("/d/я"));
    EXPECT_EQ(l.list.rowPath(3), QByteArray("/d/z"));
    EXPECT_TRUE(l.list.isParentRow(0));
}

TEST(ResultList, SelectionTextAndTheContextMenuTrigger)
{
    List l;
    std::vector<std::pair<const char *, int64_t>> rows;
    std::vector<QByteArray> paths;
    for (int i = 1; i <= 10; ++i)
        paths.push_back("/d/s" + QByteArray::number(i));
    for (auto &p : paths)
        rows.push_back({p.constData(), 10});
    l.fill(rows);
    l.list.show();

    QString labelAtMenu;
    QObject::connect(&l.list, &ResultList::contextMenuRequested,
                     [&](const QPoint &) { labelAtMenu = l.label.text(); });
    QSignalSpy menu(&l.list, &ResultList::contextMenuRequested);

    const QPoint fourth = l.list.visualItemRect(l.row(4)).center();
    QTest::mouseClick(l.list.viewport(), Qt::LeftButton, {}, fourth);
    EXPECT_EQ(l.label.text(), QStringLiteral("Кол-во: 10/4 - '/d/s4'"));
    EXPECT_EQ(menu.count(), 0);

    const QPoint top = l.list.visualItemRect(l.row(0)).center();
    QTest::mouseClick(l.list.viewport(), Qt::RightButton, {}, top);
    EXPECT_EQ(l.label.text(), QStringLiteral("Кол-во: 10/0 - '\\...'"));
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(labelAtMenu, QStringLiteral("Кол-во: 10/0 - '\\...'"));
    EXPECT_EQ(menu.at(0).at(0).toPoint(), l.list.viewport()->mapToGlobal(top));
}

TEST(ResultList, DoubleClickAndEnterAskForADrillDown)
{
    List l;
    l.fill({{"/d/a", 1}});
    l.list.show();
    QSignalSpy drill(&l.list, &ResultList::drillDownRequested);
    QTest::mouseDClick(l.list.viewport(), Qt::LeftButton, {}, l.list.visualItemRect(l.row(1)).center());
    EXPECT_EQ(drill.count(), 1);
    QTest::keyPress(&l.list, Qt::Key_Return);
    EXPECT_EQ(drill.count(), 1); // on release, not on press
    QTest::keyRelease(&l.list, Qt::Key_Return);
    EXPECT_EQ(drill.count(), 2);
    QTest::keyRelease(&l.list, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(drill.count(), 3);
}

TEST(ResultList, AClickBelowTheRowsKeepsARowSelected)
{
    List l;
    l.fill({{"/d/a", 1}, {"/d/b", 2}});
    QTest::mouseClick(l.list.viewport(), Qt::LeftButton, {}, l.list.visualItemRect(l.row(2)).center());
    ASSERT_EQ(l.list.selectedRowIndex(), 2);
    QTest::mouseClick(l.list.viewport(), Qt::LeftButton, {}, QPoint(20, l.list.viewport()->height() - 5));
    EXPECT_EQ(l.list.selectedRowIndex(), 2);
    EXPECT_EQ(l.label.text(), QStringLiteral("Кол-во: 2/2 - '/d/b'"));
}
