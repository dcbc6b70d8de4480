// Sorting and grouping: the Shell sort's order of equal sizes, the order and
// colours of groups, confirmation by contents, hard links, files that change
// or vanish, and a scan stopped midway.
#include "EngineTestHost.h"
#include "dupes/engine/DupeSearch.h"
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/engine/FileChecksum.h"
#include "support/Fakes.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace vs;
using vs::test::RecordingHost;
using vs::test::TempTree;

namespace
{

// A collection in a chosen order, as if the walk had met the files so.
FileCollection CollectionOf(const TempTree &t, const std::vector<QByteArray> &names)
{
    FileCollection files;
    files.reset();
    for (const QByteArray &n : names) {
        struct stat st {
        };
        EXPECT_EQ(lstat(t.path(n).constData(), &st), 0) << n.constData();
        FileRecord r;
        r.path = t.path(n);
        r.size = ByteCount::fromBytes(uint64_t(st.st_size));
        r.dev = uint64_t(st.st_dev);
        r.ino = uint64_t(st.st_ino);
        files.append(r);
    }
    return files;
}

std::vector<DupeRow> Group(FileCollection files)
{
    files.trim();
    SortBySize(files);
    return ListDuplicateGroups(files);
}

DupeRow Row(const TempTree &t, const char *name, uint32_t colour)
{
    QFile f(QFile::decodeName(t.path(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray d = f.readAll();
    return DupeRow{t.path(name), ByteCount::fromBytes(uint64_t(d.size())),
                   ChecksumOfBytes(d.constData(), size_t(d.size())), colour, QString()};
}

FileRecord Record(const QByteArray &path, uint64_t size)
{
    FileRecord r;
    r.path = path;
    r.size = ByteCount::fromBytes(size);
    return r;
}

constexpr uint32_t C = kDupeCyan;
constexpr uint32_t Y = kDupeYellow;

} // namespace

TEST(EngineGroups, ShellSortOrdersEqualSizesItsOwnWay)
{
    FileCollection files;
    files.reset();
    const std::vector<std::pair<int, const char *>> in = {{2, "a"}, {2, "b"}, {2, "c"}, {2, "d"}, {1, "e"}};
    for (auto [size, name] : in)
        files.append(Record(name, size));
    SortBySize(files);
    std::vector<QByteArray> order;
    for (const FileRecord &r : files.records)
        order.push_back(r.path);
    // The gap-4 pass moves "a" behind the others of its size.
    EXPECT_EQ(order, (std::vector<QByteArray>{"e", "b", "c", "d", "a"}));

    // Any collection comes out ascending and complete.
    std::mt19937 gen(5);
    files.reset();
    for (int i = 0; i < 3000; ++i)
        files.append(Record(QByteArray::number(i), gen() % 50));
    SortBySize(files);
    std::vector<int> seen(3000, 0);
    for (int i = 0; i < 3000; ++i) {
        ++seen[size_t(files.records[size_t(i)].path.toInt())];
        if (i > 0) {
            EXPECT_LE(files.records[size_t(i - 1)].size, files.records[size_t(i)].size);
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 3000);
    EXPECT_FALSE(SizeGreater(ByteCount::fromBytes(5), ByteCount::fromBytes(5)));
    EXPECT_TRUE(SizeGreater(ByteCount::fromBytes(6), ByteCount::fromBytes(5)));
}

TEST(EngineGroups, GroupsFollowTheSortedOrderWithAlternatingColours)
{
    TempTree t;
    t.file("a", "AAAA");
    t.file("b", "BBBB");
    t.file("c", "AAAA");
    t.file("d", "BBBB");
    // A B A: one group of the first and third.
    EXPECT_EQ(Group(CollectionOf(t, {"a", "b", "c"})),
              (std::vector<DupeRow>{Row(t, "a", C), Row(t, "c", C)}));
    // A B A B: the A group first.
    EXPECT_EQ(Group(CollectionOf(t, {"a", "b", "c", "d"})),
              (std::vector<DupeRow>{Row(t, "a", C), Row(t, "c", C), Row(t, "b", Y), Row(t, "d", Y)}));
    // One file alone lists nothing.
    EXPECT_TRUE(Group(CollectionOf(t, {"a"})).empty());

    // Two sizes with two groups each, met larger first: smaller size first,
    // colours alternate across sizes.
    t.file("p", "long one");
    t.file("q", "long two");
    t.file("r", "long one");
    t.file("s", "long two");
    EXPECT_EQ(Group(CollectionOf(t, {"p", "q", "r", "s", "a", "b", "c", "d"})),
              (std::vector<DupeRow>{Row(t, "a", C), Row(t, "c", C), Row(t, "b", Y), Row(t, "d", Y),
                                    Row(t, "p", C), Row(t, "r", C), Row(t, "q", Y), Row(t, "s", Y)}));

    // Equal sizes met in the order a b c d, then a smaller one: the sort puts
    // "a" last among its size, and the rows follow the sorted order.
    t.file("w", "ZZ");
    t.file("x", "ZZ");
    t.file("y", "ZZ");
    t.file("z", "ZZ");
    t.file("e", "e");
    EXPECT_EQ(Group(CollectionOf(t, {"w", "x", "y", "z", "e"})),
              (std::vector<DupeRow>{Row(t, "x", C), Row(t, "y", C), Row(t, "z", C), Row(t, "w", C)}));
}

TEST(EngineGroups, EqualChecksumsWithOtherContentsAreNotDuplicates)
{
    TempTree t;
    t.file("a", "abcdefgh");
    t.file("b", "cdabefgh"); // the same words in another order
    t.file("c", "abcdefgh");
    ASSERT_EQ(FileChecksum(t.path("a")), FileChecksum(t.path("b")));
    EXPECT_TRUE(Group(CollectionOf(t, {"a", "b"})).empty());
    EXPECT_EQ(Group(CollectionOf(t, {"b", "a", "c"})),
              (std::vector<DupeRow>{Row(t, "a", C), Row(t, "c", C)}));

    // Large files alike in their first block and in their checksum, apart later.
    QByteArray big(300000, 'k');
    t.file("big1", big);
    big.replace(200000, 4, "abcd");
    t.file("big2", big);
    big.replace(200000, 4, "cdab");
    t.file("big3", big);
    t.file("big4", big);
    ASSERT_EQ(FileChecksum(t.path("big2")), FileChecksum(t.path("big3")));
    EXPECT_EQ(Group(CollectionOf(t, {"big1", "big2", "big3", "big4"})),
              (std::vector<DupeRow>{Row(t, "big3", C), Row(t, "big4", C)}));
}

TEST(EngineGroups, HardLinksAreListedPerPathAndEmptyOrVanishedFilesNever)
{
    TempTree t;
    t.file("a", "same");
    t.hardlink("a", "a2");
    t.file("solo", "unique content");
    t.hardlink("solo", "solo2");
    EXPECT_EQ(Group(CollectionOf(t, {"a", "a2", "solo", "solo2"})),
              (std::vector<DupeRow>{Row(t, "a", C), Row(t, "a2", C), Row(t, "solo", Y), Row(t, "solo2", Y)}));

    // Files that vanish or change after the walk are not claimed equal.
    t.file("v1", "gone");
    t.file("v2", "gone");
    t.file("v3", "grow");
    t.file("v4", "grow");
    FileCollection files = CollectionOf(t, {"v1", "v2", "v3", "v4"});
    unlink(t.path("v1").constData());
    unlink(t.path("v2").constData());
    t.file("v4", "grown");
    EXPECT_TRUE(Group(files).empty());
}

TEST(EngineGroups, UnreadableFilesAreNotDuplicatesOfEachOther)
{
    TempTree t;
    t.file("u1", "secret");
    t.file("u2", "secret");
    t.file("r1", "public");
    t.file("r2", "public");
    chmod(t.root().constData(), 0755);
    chmod(t.path("u1").constData(), 0);
    chmod(t.path("u2").constData(), 0);
    const FileCollection files = CollectionOf(t, {"u1", "u2", "r1", "r2"});
    const std::string out = vs::test::RunUnprivileged([&] {
        std::string s;
        for (const DupeRow &r : Group(files))
            s += r.path.toStdString() + "\n";
        return s;
    });
    EXPECT_EQ(out, (t.path("r1") + "\n" + t.path("r2") + "\n").toStdString());
}

namespace
{

// The tree scan as the window runs it, keeping only its rows; `stopAt` asks
// for a stop during that yield (0: never).
struct TreeScanRows : DupeSearchListener {
    void searchStarted(DupeSearchKind) override {}
    void stageChanged(Stage) override {}
    void rowsAdded(const std::vector<DupeRow> &r) override { rows = r; }
    void rowAdded(const DupeRow &) override {}
    void errorBox(int, const QString &, const QString &) override {}
    void searchFinished(DupeSearchKind, double, int) override {}
    std::vector<DupeRow> rows;
};

std::vector<DupeRow> ScanTree(const QByteArray &folder, int stopAt = 0, int *collected = nullptr)
{
    vs::test::ScriptedYield yield;
    TreeScanRows listener;
    DupeSearch search(yield, listener);
    yield.hook = [&](int n) {
        if (n == stopAt)
            search.requestStop();
    };
    search.scanTree(folder);
    if (collected)
        *collected = search.files().fileCount();
    return listener.rows;
}

} // namespace

TEST(EngineGroups, AStoppedScanListsTheGroupsAmongTheFilesCollected)
{
    TempTree t;
    for (const char *n : {"a1", "a2", "a3", "b1", "b2", "c1"})
        t.file(n, QByteArray(n).left(1).repeated(10));
    const std::vector<QByteArray> listing = vs::test::ListingWithDots(t.root());
    const int subfolderPass = int(listing.size());
    for (int k = 1; k <= int(listing.size()); ++k) {
        const std::vector<DupeRow> rows = ScanTree(t.root(), subfolderPass + k);
        // Only the files met up to the stop count.
        std::map<char, int> met;
        for (int i = 0; i < k; ++i)
            if (listing[size_t(i)] != "." && listing[size_t(i)] != "..")
                ++met[listing[size_t(i)][0]];
        size_t expectedRows = 0;
        for (auto [letter, n] : met)
            expectedRows += n >= 2 ? size_t(n) : 0;
        EXPECT_EQ(rows.size(), expectedRows) << k;
        for (const DupeRow &r : rows)
            EXPECT_GE(met[r.path[r.path.lastIndexOf('/') + 1]], 2) << k;
    }
}

TEST(EngineGroups, ScanOfATreeWithEmptyAndSparseFiles)
{
    TempTree t;
    for (int i = 0; i < 5; ++i)
        t.file("empty" + QByteArray::number(i), QByteArray());
    t.file("d/x", "content!");
    t.file("y", "content!");
    int collected = 0;
    const std::vector<DupeRow> rows = ScanTree(t.root(), 0, &collected);
    EXPECT_EQ(collected, 2); // empty files are never collected with the initial range
    EXPECT_EQ(rows, (std::vector<DupeRow>{Row(t, "y", C), Row(t, "d/x", C)}));
}
