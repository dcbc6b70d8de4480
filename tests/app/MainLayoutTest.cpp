#include "app/MainLayout.h"

#include <gtest/gtest.h>

using namespace vs;

namespace
{

void ExpectRect(const TwipsRect &r, double left, double top, double width, double height)
{
    EXPECT_DOUBLE_EQ(r.left, left);
    EXPECT_DOUBLE_EQ(r.top, top);
    EXPECT_DOUBLE_EQ(r.width, width);
    EXPECT_DOUBLE_EQ(r.height, height);
}

bool SameLayout(const MainLayout &a, const MainLayout &b)
{
    auto same = [](const TwipsRect &x, const TwipsRect &y) {
        return x.left == y.left && x.top == y.top && x.width == y.width && x.height == y.height;
    };
    return same(a.driveList, b.driveList) && same(a.driveInfoButton, b.driveInfoButton) &&
           same(a.folderList, b.folderList) && same(a.progressBar, b.progressBar) &&
           same(a.scanButton, b.scanButton) && same(a.autoViewCheck, b.autoViewCheck) &&
           same(a.divider, b.divider) && same(a.resultList, b.resultList) &&
           same(a.countLabel, b.countLabel) && a.columnWidths == b.columnWidths;
}

// The designed window: 10425 x 6705 client area in the standard frame.
constexpr double kDesignWidth = kDesignClientWidth + kFrameWidth; // 10545

MainLayout LaidOut(double width, double height)
{
    MainLayout l = DesignLayout();
    int last = 0;
    LayOutOnResize(l, last, width, height, false);
    return l;
}

} // namespace

TEST(MainLayout, ListOf8800TwipsGetsColumnsOf4000And2933And1442)
{
    MainLayout l = DesignLayout();
    int last = 0;
    const ResizeOutcome out = LayOutOnResize(l, last, 2220 + 165 + 8800, 8000, false);
    EXPECT_TRUE(out.laidOut);
    EXPECT_EQ(out.newHeight, 0);
    EXPECT_EQ(out.newWidth, 0);
    EXPECT_DOUBLE_EQ(l.resultList.width, 8800);
    EXPECT_FLOAT_EQ(l.columnWidths[0], 4000.0f);
    EXPECT_NEAR(l.columnWidths[1], 2933.3, 0.05);
    EXPECT_NEAR(l.columnWidths[2], 1442.6, 0.05);
    // Kept in single precision.
    EXPECT_EQ(l.columnWidths[1], static_cast<float>(8800.0 / 3.0));
    EXPECT_EQ(l.columnWidths[2], static_cast<float>(8800.0 / 6.1));
    EXPECT_EQ(last, 11185);
}

TEST(MainLayout, LeftPanelFollowsTheListHeightInOrder)
{
    const MainLayout l = LaidOut(11185, 8000);
    ExpectRect(l.resultList, 2220, 405, 8800, 6990);
    ExpectRect(l.divider, 2130, 420, 90, 6950);
    ExpectRect(l.countLabel, 2265, 7415, 600, 195);
    ExpectRect(l.scanButton, 30, 6985, 2070, 360);
    ExpectRect(l.progressBar, 30, 6685, 2070, 255);
    ExpectRect(l.folderList, 30, 780, 2070, 5855);
    ExpectRect(l.autoViewCheck, 30, 7375, 2070, 285);
    // Untouched by a resize.
    ExpectRect(l.driveList, 30, 420, 1680, 315);
    ExpectRect(l.driveInfoButton, 1725, 420, 375, 315);
}

TEST(MainLayout, HeightBelowTheMinimumIsRaisedAndTheLayoutUsesIt)
{
    MainLayout l = DesignLayout();
    int last = 0;
    const ResizeOutcome out = LayOutOnResize(l, last, kDesignWidth, 5000, false);
    EXPECT_EQ(out.newHeight, 7170);
    EXPECT_TRUE(out.laidOut);
    EXPECT_DOUBLE_EQ(l.resultList.height, 6160);
    EXPECT_DOUBLE_EQ(l.resultList.width, 8160);

    // 7170 itself is not raised.
    const ResizeOutcome exact = LayOutOnResize(l, last, kDesignWidth, 7170, false);
    EXPECT_EQ(exact.newHeight, 0);
}

TEST(MainLayout, ListWithoutWidthRestoresTheLastAcceptedWidth)
{
    MainLayout l = DesignLayout();
    int last = 0;
    LayOutOnResize(l, last, 11000, 8000, false);
    ASSERT_EQ(last, 11000);
    const MainLayout before = l;

    // w = 2385 - 2220 - 165 = 0
    ResizeOutcome out = LayOutOnResize(l, last, 2385, 9000, false);
    EXPECT_FALSE(out.laidOut);
    EXPECT_EQ(out.newWidth, 11000);
    EXPECT_TRUE(SameLayout(l, before));
    EXPECT_EQ(last, 11000);

    // w = 0.5 rounds to the even 0: still no width.
    out = LayOutOnResize(l, last, 2385.5, 9000, false);
    EXPECT_EQ(out.newWidth, 11000);
    // w = 1.5 rounds to 2: laid out.
    out = LayOutOnResize(l, last, 2386.5, 9000, false);
    EXPECT_TRUE(out.laidOut);
    EXPECT_DOUBLE_EQ(l.resultList.width, 2);
    EXPECT_EQ(last, 2386); // 2386.5 to the even neighbour
}

TEST(MainLayout, NoWidthBeforeAnyLayoutFallsBackToTheDesignedWidth)
{
    MainLayout l = DesignLayout();
    int last = 0;
    const ResizeOutcome out = LayOutOnResize(l, last, 1000, 8000, false);
    EXPECT_FALSE(out.laidOut);
    EXPECT_EQ(out.newWidth, kDesignWidth);
}

TEST(MainLayout, MinimisedWindowIsLeftAlone)
{
    MainLayout l = LaidOut(11185, 8000);
    const MainLayout before = l;
    int last = 11185;
    const ResizeOutcome out = LayOutOnResize(l, last, 0, 0, true);
    EXPECT_FALSE(out.laidOut);
    EXPECT_EQ(out.newHeight, 0);
    EXPECT_EQ(out.newWidth, 0);
    EXPECT_TRUE(SameLayout(l, before));
    EXPECT_EQ(last, 11185);

    // Restoring to the same size gives the same layout.
    LayOutOnResize(l, last, 11185, 8000, false);
    EXPECT_TRUE(SameLayout(l, before));
}

TEST(MainLayout, DividerDragMovesTheLeftPanelWidths)
{
    MainLayout l = LaidOut(kDesignWidth, 7170);
    // Grabbed 45 twips inside, pointer now 1375 twips left of the divider's
    // left edge: the divider moves left by 1420.
    ASSERT_TRUE(MoveDivider(l, kDesignWidth, 45, -1375));
    ExpectRect(l.divider, 710, 420, 90, 6120);
    ExpectRect(l.resultList, 800, 405, 8160 + 1420, 6160);
    EXPECT_EQ(l.columnWidths[0], static_cast<float>(9580 / 2.2));
    EXPECT_EQ(l.columnWidths[1], static_cast<float>(9580 / 3.0));
    EXPECT_EQ(l.columnWidths[2], static_cast<float>(9580 / 6.1));
    ExpectRect(l.driveList, 30, 420, 260, 315);
    ExpectRect(l.driveInfoButton, 300, 420, 375, 315); // right of the drive list, 10 apart
    EXPECT_DOUBLE_EQ(l.folderList.width, 650);
    EXPECT_DOUBLE_EQ(l.progressBar.width, 650);
    EXPECT_DOUBLE_EQ(l.scanButton.width, 650);
    EXPECT_DOUBLE_EQ(l.autoViewCheck.width, 650);
    ExpectRect(l.countLabel, 845, 405 + 6160 + 20, 600, 195);
}

TEST(MainLayout, DragPastTheLeftLimitChangesNothingUntilThePointerComesBack)
{
    MainLayout l = LaidOut(kDesignWidth, 7170);
    ASSERT_TRUE(MoveDivider(l, kDesignWidth, 45, -1375)); // list left exactly 800
    const MainLayout atLimit = l;

    // One pixel further: the list would start at 785. No clamping either.
    EXPECT_FALSE(MoveDivider(l, kDesignWidth, 45, 30));
    EXPECT_FALSE(MoveDivider(l, kDesignWidth, 45, -3000));
    EXPECT_TRUE(SameLayout(l, atLimit));
    // Back to the grab point: nothing to move, but accepted.
    EXPECT_TRUE(MoveDivider(l, kDesignWidth, 45, 45));
    EXPECT_TRUE(SameLayout(l, atLimit));
    // A pixel to the right picks the divider up again.
    EXPECT_TRUE(MoveDivider(l, kDesignWidth, 45, 60));
    EXPECT_DOUBLE_EQ(l.resultList.left, 815);
    EXPECT_DOUBLE_EQ(l.divider.left, 725);
}

TEST(MainLayout, DragToTheRightStops800TwipsBeforeTheWindowEdge)
{
    MainLayout l = LaidOut(kDesignWidth, 7170);
    // Window width - 800 = 9745; the divider may go exactly there.
    const MainLayout start = l;
    EXPECT_FALSE(MoveDivider(l, kDesignWidth, 45, 45 + 7630));
    EXPECT_TRUE(SameLayout(l, start));
    EXPECT_TRUE(MoveDivider(l, kDesignWidth, 45, 45 + 7615));
    EXPECT_DOUBLE_EQ(l.divider.left, 9745);
    EXPECT_DOUBLE_EQ(l.resultList.left, 9835);
    EXPECT_DOUBLE_EQ(l.resultList.width, 8160 - 7615);
}

TEST(MainLayout, ResizeAfterADragKeepsTheSplit)
{
    MainLayout l = LaidOut(kDesignWidth, 7170);
    ASSERT_TRUE(MoveDivider(l, kDesignWidth, 0, 600)); // 600 to the right
    int last = RoundHalfEven(kDesignWidth);
    LayOutOnResize(l, last, 15000, 9000, false);
    EXPECT_DOUBLE_EQ(l.resultList.left, 2820);
    EXPECT_DOUBLE_EQ(l.resultList.width, 15000 - 2820 - 165);
    EXPECT_DOUBLE_EQ(l.folderList.width, 2670);
    EXPECT_DOUBLE_EQ(l.divider.left, 2730);
    EXPECT_DOUBLE_EQ(l.countLabel.left, 2865);
}

TEST(MainLayout, RoundHalfEven)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.49), 2);
}
