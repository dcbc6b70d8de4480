#include "ReportFixtures.h"

#include "report/Cp1251.h"
#include "report/HtmlReport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iconv.h>

using namespace vs;
using namespace vs::test;

namespace
{

QString Heading2WithMarkup()
{
    return U("<i>Диск</i> & папки");
}

QStringList Lines(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

TEST(HtmlReport, PreviewFileMatchesTheGoldenPageByteForByte)
{
    QTemporaryDir dir;
    Output o(dir.path());
    ASSERT_TRUE(WriteHtmlReport(GoldenList(), QString(), Heading2WithMarkup(), QString(), QString(), o.out));

    const QByteArray golden = ReadAll(QStringLiteral(REPORT_GOLDEN_DIR "/report.hta"));
    ASSERT_FALSE(golden.isEmpty());
    const QByteArray written = ReadAll(dir.filePath(QStringLiteral("temp.hta")));
    EXPECT_EQ(written.toStdString(), golden.toStdString());
    // Empty copy name: the preview alone, opened once.
    EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("temp.hta")});
    EXPECT_EQ(o.previews, QStringList{dir.filePath(QStringLiteral("temp.hta"))});
}

TEST(HtmlReport, TableWithoutTickedRowsHasOnlyItsHeader)
{
    ReportTable t = GoldenList();
    for (ReportRow &r : t.rows)
        r.ticked = r.parent; // the ticked parent row still never appears
    const QStringList lines = Lines(BuildReportTable(t, U("a"), U("b"), U("c")));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], U("  <TABLE CELLSPACING='0' CELLPADDING='7' border='1'>"));
    EXPECT_TRUE(lines[1].startsWith(U("   <TR NOWRAP ><div class=Section1>")));
    EXPECT_EQ(lines[2], U("  </TABLE>"));

    t.rows.clear();
    EXPECT_EQ(Lines(BuildReportTable(t, {}, {}, {})).size(), 3);
}

TEST(HtmlReport, RunningNumbersCountTickedRowsOnly)
{
    ReportTable t;
    t.columns = MainColumns();
    t.rows = {ParentRow(),
              Row(false, U("/a"), 1, "1"),
              Row(true, U("/b"), 2, "2"),
              Row(false, U("/c"), 3, "3"),
              Row(true, U("/d"), 4, "4"),
              Row(true, U("/e"), 5, "5")};
    const QStringList lines = Lines(BuildReportTable(t, {}, {}, {}));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[2], U("   <TR NOWRAP><TD>1<TD>/b<TD>||<TD>2"));
    EXPECT_EQ(lines[3], U("   <TR NOWRAP><TD>2<TD>/d<TD>||||<TD>4"));
    EXPECT_EQ(lines[4], U("   <TR NOWRAP><TD>3<TD>/e<TD>|||||<TD>5"));
}

TEST(HtmlReport, FolderNamesAreEscapedAndUnencodableCharactersReferenced)
{
    ReportTable t;
    t.columns = MainColumns();
    t.rows = {ParentRow(), Row(true, U("/tmp/a<script>&\"x\" ✓中😀"), 1, "0,0 байт"),
              Row(true, U("/tmp/line\nfeed"), 1, "0,0 байт")};
    QTemporaryDir dir;
    Output o(dir.path());
    // Headings are the user's markup and stay as typed.
    ASSERT_TRUE(WriteHtmlReport(t, U("<b>Отчет</b> & <u>итог</u>"), U("✓"), QString(), QString(), o.out));
    const QByteArray bytes = ReadAll(dir.filePath(QStringLiteral("temp.hta")));

    EXPECT_TRUE(bytes.contains("<TD>/tmp/a&lt;script&gt;&amp;&quot;x&quot; "
                               "&#10003;&#20013;&#128512;<TD>|<TD>0,0 \xE1\xE0\xE9\xF2\r\n"));
    EXPECT_TRUE(bytes.contains("<TD>/tmp/line&#10;feed<TD>"));
    EXPECT_TRUE(bytes.contains(
        "style='text-align:center'><b>\xCE\xF2\xF7\xE5\xF2</b> & <u>\xE8\xF2\xEE\xE3</u></p>"));
    EXPECT_TRUE(bytes.contains("style='text-align:center'>&#10003;</p>"));
    EXPECT_FALSE(bytes.contains("<script>"));
    // Every line end is CR LF, also after a line feed in a folder name.
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
}

TEST(HtmlReport, HeadingsKeepTheirLineBreaksAsCrLfAndTheirBlanks)
{
    ReportTable t;
    t.columns = MainColumns();
    const QString table = BuildReportTable(t, U("  Строка 1\nСтрока 2  "), U("a\r\nb"), U("x\ry"));
    EXPECT_TRUE(table.contains(U("style='text-align:center'>  Строка 1\r\nСтрока 2  </p>")));
    EXPECT_TRUE(table.contains(U(">a\r\nb</p>")));
    EXPECT_TRUE(table.contains(U("<b>x\r\ny<o:p></o:p></b></p>")));
    EXPECT_EQ(table.count(u'\n'), table.count(U("\r\n")));
}

TEST(HtmlReport, PixelWidthsRoundTwipsHalvesToEvenThenDropTheRemainder)
{
    EXPECT_EQ(PixelWidth(1500.0f), 100);
    EXPECT_EQ(PixelWidth(1514.0f), 100);
    EXPECT_EQ(PixelWidth(1492.5f), 99);  // 1492 twips
    EXPECT_EQ(PixelWidth(1514.5f), 100); // 1514 twips, not 1515
    EXPECT_EQ(PixelWidth(1515.5f), 101); // 1516 twips
    EXPECT_EQ(PixelWidth(14.0f), 0);
    EXPECT_EQ(PixelWidth(0.0f), 0);

    ReportTable t;
    t.columns = {{U("A"), 1500.0f}, {U("B"), 1514.0f}, {U("C"), 1492.5f}, {{}, 0}, {{}, 0}};
    const QString header = Lines(BuildReportTable(t, {}, {}, {}))[1];
    EXPECT_TRUE(header.endsWith(U("<TD bgColor='#c0c0c0' align='center'>№п/п"
                                  "<TD bgColor='#c0c0c0' align='center' style=width='100'>A"
                                  "<TD bgColor='#c0c0c0' align='center' style=width='100'>B"
                                  "<TD bgColor='#c0c0c0' align='center' style=width='99'>C")));
}

TEST(HtmlReport, OnlyPathsOfHundredCharactersOrMoreBreakAtBlanks)
{
    EXPECT_EQ(BreakAtSpaces(U("a  b c"), U("<br>")), U("a<br><br>b<br>c<br>"));
    EXPECT_EQ(BreakAtSpaces(U("abc"), U("<br>")), U("abc<br>"));
    EXPECT_EQ(BreakAtSpaces(QString(), U("<br>")), U("<br>"));
    EXPECT_EQ(BreakAtSpaces(U(" "), U("<br>")), U("<br><br>"));

    const QString p99 = U("/a b/") + QString(94, u'x');
    ASSERT_EQ(p99.size(), 99);
    const QString p100 = p99 + u'x';
    // 99 characters, the last outside the BMP and so two UTF-16 units.
    const QString p99wide = U("/a b/") + QString(93, u'x') + U("😀");
    ReportTable t;
    t.columns = MainColumns();
    t.rows = {ParentRow(), Row(true, p99, 1, "1"), Row(true, p100, 1, "1"), Row(true, p99wide, 1, "1"),
              Row(true, U("/a&b ") + QString(95, u'y'), 1, "1")};
    const QStringList lines = Lines(BuildReportTable(t, {}, {}, {}));
    EXPECT_EQ(lines[2], U("   <TR NOWRAP><TD>1<TD>") + p99 + U("<TD>|<TD>1"));
    EXPECT_EQ(lines[3], U("   <TR NOWRAP><TD>2<TD>/a<br>b/") + QString(95, u'x') + U("<br><TD>|<TD>1"));
    EXPECT_EQ(lines[4], U("   <TR NOWRAP><TD>3<TD>") + p99wide + U("<TD>|<TD>1"));
    // Escaping does not count towards the length, and its output is not broken.
    EXPECT_EQ(lines[5], U("   <TR NOWRAP><TD>4<TD>/a&amp;b<br>") + QString(95, u'y') + U("<br><TD>|<TD>1"));
}

TEST(Cp1251, TableAgreesWithTheSystemConverter)
{
    iconv_t cd = iconv_open("UTF-32LE", "CP1251");
    ASSERT_NE(cd, iconv_t(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98)
            continue;
        char in = char(b);
        char32_t out = 0;
        char *pin = &in;
        char *pout = reinterpret_cast<char *>(&out);
        size_t nin = 1, nout = sizeof out;
        ASSERT_NE(iconv(cd, &pin, &nin, &pout, &nout), size_t(-1)) << b;
        EXPECT_EQ(uint32_t(Cp1251Char(uchar(b))), uint32_t(out)) << std::hex << b;
        EXPECT_EQ(Cp1251Byte(out), b) << std::hex << b;
    }
    iconv_close(cd);

    QByteArray all;
    for (int b = 1; b <= 0xFF; ++b)
        if (b != 0x98)
            all.append(char(b));
    EXPECT_EQ(EncodeCp1251(DecodeCp1251(all)), all);
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeReferences)
{
    EXPECT_EQ(EncodeCp1251(U("€№Ёё")), QByteArray("\x88\xB9\xA8\xB8"));
    EXPECT_EQ(EncodeCp1251(U("é✓中😀")), QByteArray("&#233;&#10003;&#20013;&#128512;"));
    EXPECT_EQ(EncodeCp1251(QString(QChar(0xD800)) + u'a'), QByteArray("&#65533;a"));
    EXPECT_EQ(DecodeCp1251(QByteArray("\x98")), QString(QChar(0xFFFD)));
}
