#include "util/ByteCount.h"
#include "util/Errors.h"

#include <gtest/gtest.h>

using namespace vs;

namespace
{

QString sz(uint64_t bytes)
{
    return SizeText(ByteCount::fromBytes(bytes), QStringLiteral(","));
}

int errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const VsError &e) {
        return e.number;
    }
    return 0;
}

} // namespace

TEST(SizeText, UnitTableWithComma)
{
    const std::vector<std::pair<uint64_t, const char *>> rows = {
        {0, "0 байт"},
        {7, "7 байт"},
        {99, "99 байт"},
        {100, "0,1 Кбайт"},
        {512, "0,5 Кбайт"},
        {1023, "1 Кбайт"},
        {1024, "1 Кбайт"},
        {1280, "1,3 Кбайт"},
        {1536, "1,5 Кбайт"},
        {999999, "976,6 Кбайт"},
        {1000000, "1 Мбайт"},
        {1048576, "1 Мбайт"},
        {123456789, "117,7 Мбайт"},
        {999999999, "953,7 Мбайт"},
        {1000000000, "0,9 Гбайт"},
        {1000000000000ULL, "0,9 Тбайт"},
        {922337203685477ULL, "838,9 Тбайт"},
    };
    for (const auto &[bytes, text] : rows)
        EXPECT_EQ(sz(bytes), QString::fromUtf8(text)) << bytes;
}

TEST(SizeText, UsesTheLocaleSeparatorByDefault)
{
    // The tests run under the Russian locale.
    EXPECT_EQ(SizeText(ByteCount::fromBytes(1536)), QStringLiteral("1,5 Кбайт"));
}

TEST(SizeText, PointSeparatorIsTidiedToo)
{
    const QString dot = QStringLiteral(".");
    EXPECT_EQ(SizeText(ByteCount::fromBytes(1024), dot), QStringLiteral("1 Кбайт"));
    EXPECT_EQ(SizeText(ByteCount::fromBytes(100), dot), QStringLiteral("0.1 Кбайт"));
    EXPECT_EQ(SizeText(ByteCount::fromBytes(1536), dot), QStringLiteral("1.5 Кбайт"));
}

TEST(SizeText, HugeCountsUseTheXUnit)
{
    // 16 digits: 1024^5; 18 digits: 1024^6; the X is Latin.
    EXPECT_EQ(SizeTextUnchecked(1125899906842624ULL, QStringLiteral(",")), QStringLiteral("1 Xбайт"));
    EXPECT_EQ(SizeTextUnchecked(1152921504606846976ULL, QStringLiteral(",")), QStringLiteral("1 Xбайт"));
    EXPECT_EQ(SizeTextUnchecked(2305843009213693952ULL, QStringLiteral(",")), QStringLiteral("2 Xбайт"));
}

TEST(SizeText, RawCountMatchesAndOverflows)
{
    for (uint64_t v : {0ULL, 99ULL, 1280ULL, 123456789ULL, 922337203685477ULL})
        EXPECT_EQ(SizeTextFromRawCount(v), SizeText(ByteCount::fromBytes(v)));
    EXPECT_EQ(errorOf([] { SizeTextFromRawCount(922337203685478ULL); }), 6);
}

TEST(ByteCount, RangeAndOverflow)
{
    EXPECT_EQ(ByteCount::fromBytes(922337203685477ULL).bytes(), 922337203685477LL);
    EXPECT_EQ(errorOf([] { ByteCount::fromBytes(922337203685478ULL); }), 6);
    const ByteCount max = ByteCount::fromBytes(922337203685477ULL);
    EXPECT_EQ(errorOf([&] { (void)(max + ByteCount::fromBytes(1)); }), 6);
    EXPECT_EQ((max + ByteCount()).bytes(), max.bytes());
    EXPECT_EQ(ByteCount::fromBytes(3).scaled(), 30000);
}

TEST(TrimDecimalComma, OnlyTheGivenSeparator)
{
    QString a = QStringLiteral("1,");
    TrimDecimalComma(a, QStringLiteral(","));
    EXPECT_EQ(a, QStringLiteral("1"));
    QString b = QStringLiteral(",1");
    TrimDecimalComma(b, QStringLiteral(","));
    EXPECT_EQ(b, QStringLiteral("0,1"));
    QString c = QStringLiteral("42");
    TrimDecimalComma(c, QStringLiteral(","));
    EXPECT_EQ(c, QStringLiteral("42"));
    QString d = QStringLiteral("1.");
    TrimDecimalComma(d, QStringLiteral(","));
    EXPECT_EQ(d, QStringLiteral("1."));
}

TEST(DriveTypeName, TableAndCodes)
{
    const std::vector<std::tuple<int, const char *, int>> rows = {
        {0, "Не опознанный", 7},  {1, "Локальный диск", 1}, {2, "Сменный носитель", 2},
        {3, "Локальный диск", 3}, {4, "Сетевой диск", 4},   {5, "CD-дисковод", 5},
        {6, "RAM диск", 6},       {7, "Не опознанный", 7},  {-1, "Не опознанный", 7},
    };
    for (const auto &[platform, name, code] : rows) {
        int out = -100;
        EXPECT_EQ(DriveTypeName(platform, out), QString::fromUtf8(name)) << platform;
        EXPECT_EQ(out, code) << platform;
    }
}
