// The report read from the main window's real list, as the main window calls
// the print command.
#include "ReportFixtures.h"

#include "support/Fakes.h"

#include "report/PrintCommand.h"
#include "scan/ResultList.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

TEST(MainListReport, TickedRowsOfTheResultListAreReported)
{
    ResultList list;
    list.fill({{"/data/Фото", ByteCount::fromBytes(1000)},
               {"/data/a&b", ByteCount::fromBytes(250)},
               {"/data/tmp", ByteCount::fromBytes(5)}},
              ByteCount::fromBytes(1000), 3);
    list.setRowChecked(0, true); // the parent row: never reported
    list.setRowChecked(2, true);
    list.setRowChecked(3, true);
    list.setColumnWidthTwips(1, 1514.0f);

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    PrintFields fields;
    QStringList previews;
    PrintServices services;
    services.boxes = &boxes;
    ReportPlace place;
    place.programFolder = dir.path();
    place.writable = [](const QString &) { return true; };
    services.place = place;
    services.openPreview = [&](const QString &path, QWidget *) { previews << path; };
    services.runDialog = [](Form4 &d) { d.acceptHeadings(); };

    PrintCommand(
        false, list, [&list](int column) { return list.columnWidthTwips(column); }, fields, nullptr,
        services);
    ASSERT_EQ(previews.size(), 1);
    const QString page = QString::fromLatin1(ReadAll(previews[0]));
    EXPECT_TRUE(page.contains(QStringLiteral("style=width='100'>")));
    EXPECT_TRUE(page.contains(QStringLiteral("style=width='352'>")));
    EXPECT_TRUE(page.contains(QStringLiteral("style=width='147'>")));
    EXPECT_TRUE(page.contains(QStringLiteral("   <TR NOWRAP><TD>1<TD>/data/a&amp;b<TD>") + QString(18, u'|') +
                              QStringLiteral("<TD>")));
    EXPECT_TRUE(page.contains(QStringLiteral("   <TR NOWRAP><TD>2<TD>/data/tmp<TD>|<TD>")));
    EXPECT_FALSE(page.contains(QStringLiteral("<TD>3")));
    EXPECT_FALSE(page.contains(QStringLiteral("\\...")));

    PrintCommand(
        true, list, [&list](int column) { return list.columnWidthTwips(column); }, fields, nullptr, services);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Нет данных для печати!"));
}
