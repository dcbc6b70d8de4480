// The duplicate list as CSV: header, numbering, sizes, checksums, and paths
// quoted where CSV needs it with their bytes kept exactly.
#include "dupes/engine/DupeListCsv.h"

#include <gtest/gtest.h>

using namespace vs;

namespace
{

ListedFile File(const QByteArray &path, uint64_t size, int32_t checksum, int group)
{
    ListedFile f;
    f.path = path;
    f.size = ByteCount::fromBytes(size);
    f.checksum = checksum;
    f.group = group;
    return f;
}

} // namespace

TEST(DupeListCsv, FieldsAreQuotedOnlyWhereNeeded)
{
    EXPECT_EQ(CsvField("/a/plain name.txt"), "/a/plain name.txt");
    EXPECT_EQ(CsvField("/a/b,c"), "\"/a/b,c\"");
    EXPECT_EQ(CsvField("/a/say \"hi\""), "\"/a/say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("/a/two\nlines"), "\"/a/two\nlines\"");
    EXPECT_EQ(CsvField("/a/cr\r"), "\"/a/cr\r\"");
    EXPECT_EQ(CsvField("/a/\xff\xfe"), "/a/\xff\xfe");
}

TEST(DupeListCsv, WholeFileWithHeaderGroupsSizesAndExactPathBytes)
{
    const std::vector<ListedFile> files{
        File("/d/Отчёт.txt", 48213, 12345, 4),
        File("/d/a,b \"c\"\nd", 48213, 12345, 4),
        File("/d/bad\xff\x80name", 7, -5, 9),
        File("/d/x", 7, -5, 9),
    };
    const QByteArray expected = QByteArray("Группа,Размер,CRC,Файл\r\n") + "1,48213,12345,/d/Отчёт.txt\r\n" +
                                "1,48213,12345,\"/d/a,b \"\"c\"\"\nd\"\r\n" +
                                "2,7,-5,/d/bad\xff\x80name\r\n" + "2,7,-5,/d/x\r\n";
    EXPECT_EQ(DupeListCsv(files), expected);
    EXPECT_EQ(DupeListCsv({}), QByteArray("Группа,Размер,CRC,Файл\r\n"));
}
