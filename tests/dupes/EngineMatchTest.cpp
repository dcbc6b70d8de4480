// The one-file search: taking the chosen file and the rows the matching walk
// lists for it.
#include "EngineTestHost.h"
#include "dupes/engine/FileChecksum.h"
#include "dupes/engine/FileWalk.h"
#include "dupes/engine/OneFileSearch.h"
#include "support/TempTree.h"
#include "util/Errors.h"

#include <QDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vs;
using vs::test::ListingOrder;
using vs::test::RecordingHost;
using vs::test::TempTree;

namespace
{

std::vector<DupeRow> Search(const TempTree &t, const QByteArray &chosen)
{
    RecordingHost host;
    host.chosen = TakeChosenFile(chosen);
    QByteArray path = t.root();
    int32_t e = 0, f = 0;
    FindFilesAPI(host, path, "*.*", e, f);
    return host.rows;
}

std::vector<QByteArray> PathsOf(const std::vector<DupeRow> &rows)
{
    std::vector<QByteArray> out;
    for (const DupeRow &r : rows)
        out.push_back(r.path);
    return out;
}

} // namespace

TEST(EngineMatch, ChosenFileYellowCopiesCyanInWalkOrder)
{
    TempTree t;
    t.file("chosen", "abcdefgh");
    t.file("copy", "abcdefgh");
    t.file("swapped", "cdabefgh"); // same size and checksum, other contents
    t.file("other", "12345678");
    t.file("short", "abc");
    t.file("sub/copy2", "abcdefgh");
    t.symlink("chosen", "link");

    const std::vector<DupeRow> rows = Search(t, t.path("chosen"));
    std::vector<QByteArray> expected;
    for (const QByteArray &n : ListingOrder(t.root()))
        if (n == "chosen" || n == "copy")
            expected.push_back(t.path(n));
    expected.push_back(t.path("sub/copy2"));
    EXPECT_EQ(PathsOf(rows), expected);
    const int32_t sum = ChecksumOfBytes("abcdefgh", 8);
    for (const DupeRow &r : rows) {
        const bool self = r.path == t.path("chosen");
        EXPECT_EQ(r.colour, self ? kDupeYellow : kDupeCyan);
        EXPECT_EQ(r.toolTip, self ? QStringLiteral(" <- Один и тот же файл!") : QString());
        EXPECT_EQ(r.checksum, sum);
        EXPECT_EQ(r.size.bytes(), 8);
    }
}

TEST(EngineMatch, EmptyChosenFileFindsEveryEmptyFile)
{
    TempTree t;
    t.file("e1", QByteArray());
    t.file("e2", QByteArray());
    t.file("full", "x");
    const std::vector<DupeRow> rows = Search(t, t.path("e1"));
    ASSERT_EQ(rows.size(), 2u);
    for (const DupeRow &r : rows) {
        EXPECT_EQ(r.checksum, 0);
        EXPECT_EQ(r.isYellow(), r.path == t.path("e1"));
    }
}

TEST(EngineMatch, SamePathIgnoringCaseIsTheSameFileOnlyWhenItIsTheSameInode)
{
    EXPECT_TRUE(SamePathIgnoringCase("/x/Файл.TXT", "/X/фАЙЛ.txt"));
    EXPECT_FALSE(SamePathIgnoringCase("/x/a", "/x/b"));

    TempTree t;
    t.file("a", "contents");
    t.file("A", "CONTENTS"); // another file on a case-sensitive disk
    ChosenFile chosen = TakeChosenFile(t.path("a"));
    struct stat st {
    };
    ASSERT_EQ(lstat(t.path("A").constData(), &st), 0);
    EXPECT_FALSE(MatchStep(chosen, t.path("A"), ByteCount::fromBytes(8), st.st_dev, st.st_ino));
    t.file("A", "contents");
    ASSERT_EQ(lstat(t.path("A").constData(), &st), 0);
    const auto row = MatchStep(chosen, t.path("A"), ByteCount::fromBytes(8), st.st_dev, st.st_ino);
    ASSERT_TRUE(row);
    EXPECT_FALSE(row->isYellow());
    // The chosen file itself is not read again: it is known by path and inode.
    ASSERT_EQ(lstat(t.path("a").constData(), &st), 0);
    chosen.content.readable = false;
    const auto self = MatchStep(chosen, t.path("a"), ByteCount::fromBytes(8), st.st_dev, st.st_ino);
    ASSERT_TRUE(self);
    EXPECT_TRUE(self->isYellow());
    // An unreadable chosen file matches nothing else.
    EXPECT_FALSE(MatchStep(chosen, t.path("A"), ByteCount::fromBytes(8), 0, 0));
}

TEST(EngineMatch, TakingTheChosenFile)
{
    TempTree t;
    t.file("dir/f", "hello world");
    const ChosenFile c = TakeChosenFile(t.path("dir/f"));
    EXPECT_EQ(c.path, t.path("dir/f"));
    EXPECT_EQ(c.size.bytes(), 11);
    EXPECT_EQ(c.checksum, 52892);
    EXPECT_TRUE(c.content.readable);
    EXPECT_EQ(ChosenFullPath(t.root() + "//dir/./../dir/f"), t.path("dir/f"));
    const QByteArray cwd = QDir::currentPath().toLocal8Bit();
    ASSERT_EQ(chdir(t.root().constData()), 0);
    EXPECT_EQ(ChosenFullPath("dir/f"), t.path("dir/f"));
    EXPECT_EQ(chdir(cwd.constData()), 0);

    for (const QByteArray &bad : {t.path("missing"), t.path("dir")}) {
        try {
            TakeChosenFile(bad);
            ADD_FAILURE() << bad.constData();
        } catch (const VsError &e) {
            EXPECT_EQ(e.number, 53) << bad.constData();
        }
    }
    EXPECT_EQ(ChosenFileContent(t.path("missing")).checksum, 0);
}
