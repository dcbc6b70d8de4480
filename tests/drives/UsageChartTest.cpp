#include "drives/UsageChart.h"
#include "widgets/Twips.h"

#include <gtest/gtest.h>

using namespace vs;

TEST(FreeAngle, SharesOfTheTotal)
{
    EXPECT_EQ(FreeAngle(1000, 250), 90);
    EXPECT_EQ(FreeAngle(1000, 500), 180);
    EXPECT_EQ(FreeAngle(1000, 1000), 360);
    EXPECT_EQ(FreeAngle(1000, 1), 0);      // 0.36
    EXPECT_EQ(FreeAngle(1000, 125), 45);   // 12.5 %
    EXPECT_EQ(FreeAngle(800000, 1000), 0); // 0.125 %: 0.45
    EXPECT_EQ(FreeAngle(1440, 10), 2);     // 2.5: halves go to the even neighbour
    EXPECT_EQ(FreeAngle(1440, 14), 4);     // 3.5
    EXPECT_EQ(FreeAngle(1000, 999), 360);  // 359.64
    EXPECT_EQ(FreeAngle(0, 0), 0);
    EXPECT_EQ(FreeAngle(0, 5), 0);
    EXPECT_EQ(FreeAngle(1000, 0), 0);
    EXPECT_EQ(FreeAngle(100, 250), 360); // more free than total: the whole disc
    // Real sizes: 2 TB disk with 731 GB free.
    EXPECT_EQ(FreeAngle(2000398934016ULL, 731000000000ULL), 132);
}

TEST(UsageChart, GeometryOfWallAndFaceLines)
{
    const auto lines = UsageChartLines(1000, 250);
    ASSERT_EQ(lines.size(), 722u);
    // Wall first: a 150-twip line down from each rim point, front point first.
    EXPECT_EQ(lines[0].from, QPointF(2000, 1200));
    EXPECT_EQ(lines[0].to, QPointF(2000, 1350));
    // With pi taken as 3.1415 the right end is not exactly at (3500, 700).
    const double r90 = 90 * 3.1415 / 180;
    EXPECT_DOUBLE_EQ(lines[90].from.x(), 2000 + 1500 * std::sin(r90));
    EXPECT_DOUBLE_EQ(lines[90].from.y(), 700 + 500 * std::cos(r90));
    EXPECT_NEAR(lines[180].from.y(), 200, 1e-3);
    EXPECT_NEAR(lines[270].from.x(), 500, 1e-3);
    // Then the face: spokes from the centre to the same rim points.
    for (int a : {0, 45, 180, 360}) {
        EXPECT_EQ(lines[361 + a].from, QPointF(2000, 700));
        EXPECT_EQ(lines[361 + a].to, lines[a].from);
    }
}

TEST(UsageChart, ColoursChangeAfterTheFreeAngle)
{
    auto colourAt = [](const std::vector<ChartLine> &lines, int pass, int angle) {
        return lines[size_t(pass * 361 + angle)].bgr;
    };
    // 25 % free: 0..90 inclusive are free.
    auto lines = UsageChartLines(1000, 250);
    EXPECT_EQ(colourAt(lines, 0, 0), 0x800080u);
    EXPECT_EQ(colourAt(lines, 0, 90), 0x800080u);
    EXPECT_EQ(colourAt(lines, 0, 91), 0x800000u);
    EXPECT_EQ(colourAt(lines, 0, 360), 0x800000u);
    EXPECT_EQ(colourAt(lines, 1, 0), 0xFF00FFu);
    EXPECT_EQ(colourAt(lines, 1, 90), 0xFF00FFu);
    EXPECT_EQ(colourAt(lines, 1, 91), 0xFF0000u);
    EXPECT_EQ(BgrColor(0xFF0000u), QColor(0, 0, 255));
    EXPECT_EQ(BgrColor(0x800080u), QColor(128, 0, 128));

    // Half free takes in the back point.
    lines = UsageChartLines(1000, 500);
    EXPECT_EQ(colourAt(lines, 1, 180), 0xFF00FFu);
    EXPECT_EQ(colourAt(lines, 1, 181), 0xFF0000u);

    // All free: every line; nothing free or no total: only the front line.
    for (auto [total, free] : {std::pair<uint64_t, uint64_t>{1000, 1000}, {0, 0}, {1000, 1}}) {
        lines = UsageChartLines(total, free);
        int freeLines = 0;
        for (const ChartLine &l : lines)
            freeLines += l.bgr == kFaceFree || l.bgr == kWallFree;
        EXPECT_EQ(freeLines, free == total && total ? 722 : 2) << total << " " << free;
        EXPECT_EQ(colourAt(lines, 1, 0), 0xFF00FFu);
    }
}

TEST(UsageChart, DrawnImageShowsTheColours)
{
    const QColor back(240, 240, 240);
    const QImage image = DrawUsageChart(1000, 250, back);
    EXPECT_EQ(image.size(), QSize(263, 106));
    EXPECT_EQ(image.pixelColor(2, 2), back);
    // Front-right quarter of the face is magenta, the back-left blue.
    EXPECT_EQ(image.pixelColor(Px(2000 + 700), Px(700 + 300)), QColor(255, 0, 255));
    EXPECT_EQ(image.pixelColor(Px(2000 - 700), Px(700 - 300)), QColor(0, 0, 255));
    // The wall shows below the front rim: purple right of the front point, navy left.
    EXPECT_EQ(image.pixelColor(Px(2300), Px(1270)), QColor(128, 0, 128));
    EXPECT_EQ(image.pixelColor(Px(1700), Px(1270)), QColor(0, 0, 128));
}
