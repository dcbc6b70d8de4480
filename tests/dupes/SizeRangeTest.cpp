#include "dupes/SizeRange.h"
#include "dupes/Hourglass.h"
#include "dupes/StatusTexts.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace vs;

namespace
{
const QString comma = QStringLiteral(",");
}

TEST(SizeRange, LeadingNumberReadsOnlyTheStartWithDotAsPoint)
{
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1,5")), 1.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("12abc")), 12.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QString()), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral(" 1 2\t3 ")), 123.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("-3.25")), -3.25);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("+7")), 7.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral(".5")), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("2e3")), 2000.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("2E-1x")), 0.2);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1e")), 1.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("e5")), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1.2.3")), 1.2);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("-")), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("٣")), 0.0); // only ASCII digits count
}

TEST(SizeRange, FieldBytesTextMultipliesByTheUnitAndWritesTheUsersSeparator)
{
    EXPECT_EQ(FieldBytesText(QStringLiteral("1.5"), 0, comma), QStringLiteral("1,5"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("1.5"), 1, comma), QStringLiteral("1536"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("1.5"), 2, comma), QStringLiteral("1572864"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("2"), 3, comma), QStringLiteral("2147483648"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("1.5"), 0, QStringLiteral(".")), QStringLiteral("1.5"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("abc"), 3, comma), QStringLiteral("0"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("-0"), 0, comma), QStringLiteral("0"));
    EXPECT_EQ(FieldBytesText(QStringLiteral("-2"), 1, comma), QStringLiteral("-2048"));
}

TEST(SizeRange, DefaultNumberTextKeepsFifteenDigitsAndSwitchesToExponentAt1E15)
{
    EXPECT_EQ(DefaultNumberText(999999999999999.0, comma), QStringLiteral("999999999999999"));
    EXPECT_EQ(DefaultNumberText(1e15, comma), QStringLiteral("1E+15"));
    EXPECT_EQ(DefaultNumberText(1073741824.0 * 1000000.0, comma), QStringLiteral("1,073741824E+15"));
    EXPECT_EQ(DefaultNumberText(123456789012345678.0, comma), QStringLiteral("1,23456789012346E+17"));
    EXPECT_EQ(DefaultNumberText(1.0 / 3.0, comma), QStringLiteral("0,333333333333333"));
    EXPECT_EQ(DefaultNumberText(0.0001, comma), QStringLiteral("0,0001"));
    EXPECT_EQ(DefaultNumberText(0.00001, comma), QStringLiteral("1E-05"));
}

TEST(SizeRange, TidyFieldTextTrimsAndFillsEmptyWithZero)
{
    EXPECT_EQ(TidyFieldText(QStringLiteral("  7 ")), QStringLiteral("7"));
    EXPECT_EQ(TidyFieldText(QStringLiteral("   ")), QStringLiteral("0"));
    EXPECT_EQ(TidyFieldText(QString()), QStringLiteral("0"));
    EXPECT_EQ(TidyFieldText(QStringLiteral("1,5")), QStringLiteral("1,5"));
}

TEST(SizeRange, ByteLabelsReadBackUpToTheLargestSize)
{
    EXPECT_EQ(ReadByteLabel(QStringLiteral("1536"), comma), 1536.0);
    EXPECT_EQ(ReadByteLabel(QStringLiteral("1,5"), comma), 1.5);
    EXPECT_EQ(ReadByteLabel(QStringLiteral("0,33333"), comma), 0.3333);
    EXPECT_EQ(ReadByteLabel(QStringLiteral("1E-05"), comma), 0.0);
    EXPECT_EQ(ReadByteLabel(QStringLiteral("-5"), comma), -5.0);
    EXPECT_EQ(ReadByteLabel(QStringLiteral("922337203685477"), comma), 922337203685477.0);
    // Every label that could not be held is refused, never clipped or wrapped.
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("922337203685478"), comma));
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("999999999999999"), comma));
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("1E+15"), comma));
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("1,073741824E+15"), comma));
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("-1E+15"), comma));
    EXPECT_FALSE(ReadByteLabel(QStringLiteral("1.5"), comma));
    EXPECT_FALSE(ReadByteLabel(QString(), comma));
}

TEST(SizeRange, WholeByteBoundsKeepTheFilterOfFractionalBounds)
{
    const ByteBounds lowerOnly = WholeByteBounds(1.5, 0.0, false);
    EXPECT_EQ(lowerOnly.minBytes, 1); // size > 1.5 is size > 1
    EXPECT_FALSE(lowerOnly.useMax);
    const ByteBounds both = WholeByteBounds(1.5, 10.75, true);
    EXPECT_EQ(both.minBytes, 2); // 1.5 <= size is 2 <= size
    EXPECT_EQ(both.maxBytes, 10);
    EXPECT_TRUE(both.useMax);
    // "size > -0.5" takes empty files as well: every size up to the largest.
    const ByteBounds negative = WholeByteBounds(-0.5, 0.0, false);
    EXPECT_TRUE(negative.useMax);
    EXPECT_EQ(negative.minBytes, 0);
    EXPECT_EQ(negative.maxBytes, 922337203685477LL);
    // A negative upper bound takes nothing: the lower bound ends above it.
    const ByteBounds none = WholeByteBounds(-10.0, -3.0, true);
    EXPECT_GT(none.minBytes, none.maxBytes);
    EXPECT_GE(none.maxBytes, 0);
    EXPECT_EQ(WholeByteBounds(-10.0, 3.0, true).minBytes, 0);
    EXPECT_EQ(WholeByteBounds(5120.0, 10240.0, true).minBytes, 5120);
}

TEST(Hourglass, SeventeenDistinctFramesInAnEndlessCycle)
{
    QList<QImage> images;
    for (int i = 1; i <= kHourglassFrames; ++i) {
        const QPixmap pm = HourglassPicture(i);
        ASSERT_EQ(pm.size(), QSize(16, 16)) << i;
        for (const QImage &seen : images)
            EXPECT_NE(seen, pm.toImage()) << "frame " << i << " repeats an earlier one";
        images.append(pm.toImage());
    }
    EXPECT_TRUE(HourglassPicture(0).isNull());
    EXPECT_TRUE(HourglassPicture(18).isNull());
    EXPECT_EQ(NextHourglassFrame(0), 1);
    EXPECT_EQ(NextHourglassFrame(16), 17);
    EXPECT_EQ(NextHourglassFrame(17), 1);
}

TEST(StatusTexts, ElapsedSecondsInSinglePrecisionWithSevenDigits)
{
    EXPECT_EQ(ElapsedText(2.25, comma), QStringLiteral("2,25сек."));
    EXPECT_EQ(ElapsedText(0.0, comma), QStringLiteral("0сек."));
    EXPECT_EQ(ElapsedText(12.0, comma), QStringLiteral("12сек."));
    EXPECT_EQ(ElapsedText(1.23456789, comma), QStringLiteral("1,234568сек."));
    EXPECT_EQ(ElapsedText(0.1, comma), QStringLiteral("0,1сек.")); // not 0,100000001
    EXPECT_EQ(ElapsedText(86399.5, comma), QStringLiteral("86399,5сек."));
    EXPECT_EQ(ElapsedText(0.5, QStringLiteral(".")), QStringLiteral("0.5сек."));
    EXPECT_EQ(CountText(0), QStringLiteral("Кол-во: 0"));
    EXPECT_EQ(CountText(12345), QStringLiteral("Кол-во: 12345"));
}
