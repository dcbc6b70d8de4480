#include "scan/SizeBar.h"
#include "scan/ResultList.h"

#include <gtest/gtest.h>

using namespace vs;

namespace
{
ByteCount B(int64_t n)
{
    return ByteCount::fromBytes(uint64_t(n));
}
} // namespace

TEST(SizeBar, LengthsAndTiesAgainstOneThousand)
{
    // q = size * 70 / 1000
    EXPECT_EQ(BarLength(B(1000), B(1000)), 70);
    EXPECT_EQ(BarLength(B(250), B(1000)), 18); // 17.5, odd below: up
    EXPECT_EQ(BarLength(B(5), B(1000)), 0);    // 0.35
    EXPECT_EQ(BarLength(B(150), B(1000)), 10); // 10.5, even below: down
    EXPECT_EQ(BarLength(B(850), B(1000)), 60); // 59.5
    EXPECT_EQ(BarLength(B(0), B(1000)), 0);
    EXPECT_EQ(BarLength(B(50), B(7000)), 0);  // 0.5 to even
    EXPECT_EQ(BarLength(B(150), B(7000)), 2); // 1.5 to even
    EXPECT_EQ(BarLength(B(250), B(7000)), 2); // 2.5 to even
}

TEST(SizeBar, HundredthsAreRoundedBeforeTheWholeNumber)
{
    // 10.505 -> 10.50 (tie, even) -> 10; rounding once would give 11.
    EXPECT_EQ(BarLength(B(2101), B(14000)), 10);
    // 11.495 -> 11.50 (tie, even) -> 12; rounding once would give 11.
    EXPECT_EQ(BarLength(B(2299), B(14000)), 12);
    // 10.496 -> 10.50 -> 10
    EXPECT_EQ(BarLength(B(10496), B(70000)), 10);
}

TEST(SizeBar, AllEmptyAndHugeSizes)
{
    EXPECT_EQ(BarLength(B(0), B(0)), 0);
    const auto max = ByteCount::fromBytes(ByteCount::kMaxBytes);
    EXPECT_EQ(BarLength(max, max), 70);
    EXPECT_EQ(BarLength(B(ByteCount::kMaxBytes / 2), max), 35);
}

TEST(SizeBar, BandsAreTenWideAndTheLastEleven)
{
    const std::vector<std::pair<int, int>> cases = {{0, 1},  {9, 1},  {10, 2}, {19, 2}, {20, 3},
                                                    {29, 3}, {30, 4}, {39, 4}, {40, 5}, {49, 5},
                                                    {50, 6}, {59, 6}, {60, 7}, {69, 7}, {70, 7}};
    for (auto [length, band] : cases)
        EXPECT_EQ(BandOf(length), band) << length;
}

TEST(SizeBar, SizeKeysPadToTheLargest)
{
    EXPECT_EQ(KeyWidth(B(1000)), 4);
    EXPECT_EQ(KeyWidth(B(0)), 1);
    EXPECT_EQ(KeyWidth(ByteCount::fromBytes(ByteCount::kMaxBytes)), 15);
    EXPECT_EQ(SizeKey(B(5), 4), QByteArray("0005"));
    EXPECT_EQ(SizeKey(B(1000), 4), QByteArray("1000"));
    EXPECT_EQ(SizeKey(B(0), 1), QByteArray("0"));
}

TEST(ParentFolder, SlashPlaysTheDriveRoot)
{
    EXPECT_EQ(ParentFolder("/"), QByteArray("/"));
    EXPECT_EQ(ParentFolder("/home"), QByteArray("/"));
    EXPECT_EQ(ParentFolder("/home/u"), QByteArray("/home"));
    EXPECT_EQ(ParentFolder("/home/u/docs"), QByteArray("/home/u"));
    EXPECT_EQ(ParentFolder("  /home/u  "), QByteArray("/home"));
    EXPECT_EQ(ParentFolder("   "), QByteArray());
    EXPECT_EQ(ParentFolder(""), QByteArray());
    EXPECT_EQ(ParentFolder("relative"), QByteArray("relative"));
    EXPECT_EQ(ParentFolder("/data/\xff\xfe"), QByteArray("/data"));
}
