// Sorting and grouping: the Shell sort's order of equal sizes, the order and
// colours of groups, confirmation by contents, hard links, files that change
// or vanish, and a scan stopped midway.
#include "EngineTestHost.h"
#include "dupes/engine/DupeSearch.h"
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/engine/FileChecksum.h"
#include "support/Fakes.h"
#include "support/TempTree.h"

#include "fs/WorkerPool.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace vs;
using vs::test::CollectionOf;
using vs::test::RecordingHost;
using vs::test::TempTree;

namespace
{

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
    return DupeRow{t.path(name),
                   ByteCount::fromBytes(uint64_t(d.size())),
                   ChecksumOfBytes(d.constData(), size_t(d.size())),
                   colour,
                   QString(),
                   {}};
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

namespace
{

// A host whose contentProgress says stop at call `stopAt` (0: never), or,
// with `stopWhen`, as soon as that says so.
struct StoppingHost : RecordingHost {
    bool contentProgress(int64_t, int64_t) override
    {
        ++calls;
        if (stopWhen ? stopWhen() : calls == stopAt)
            return false;
        return true;
    }
    int calls = 0;
    int stopAt = 0;
    std::function<bool()> stopWhen;
};

// Pairs of equal files, pair i of `base + i` bytes in its own folder gI, so
// that every folder is one batch of the reading.
FileCollection PairsInFolders(TempTree &t, int pairs, int base)
{
    std::vector<QByteArray> names;
    for (int i = 0; i < pairs; ++i) {
        const QByteArray folder = "g" + QByteArray::number(i) + "/";
        QByteArray body(base + i, char('a' + i));
        for (const char *n : {"x", "y"}) {
            t.file(folder + n, body);
            names.push_back(folder + n);
        }
    }
    FileCollection files = CollectionOf(t, names);
    files.trim();
    SortBySize(files);
    return files;
}

} // namespace

TEST(EngineGroups, AStopAtAProgressCallListsTheSizesReadBeforeItAndOpensNothingAfter)
{
    // Small pairs are read whole in the first stage: the probe (g0), then a
    // progress call after each further folder but the last. Large pairs
    // share their first block: the first stage reads 4 folders' blocks (2
    // calls), the second reads them whole (3 more calls).
    struct Case {
        int pairs, base, stopAt;
        int listedPairs, opened;
    };
    const Case cases[] = {
        {6, 100, 0, 6, 12},   {6, 100, 1, 2, 4},    {6, 100, 3, 4, 8},
        {6, 100, 4, 5, 10},   {4, 70000, 1, 0, 4},  {4, 70000, 2, 0, 6},
        {4, 70000, 3, 1, 10}, {4, 70000, 5, 3, 14}, {4, 70000, 0, 4, 16},
    };
    WorkerPool noHelpers(0);
    for (const Case &c : cases) {
        TempTree t;
        FileCollection files = PairsInFolders(t, c.pairs, c.base);
        StoppingHost host;
        host.stopAt = c.stopAt;
        std::vector<QByteArray> opened;
        ReadingSetup setup;
        setup.pool = &noHelpers;
        setup.interval = std::chrono::milliseconds(0);
        setup.opened = [&](const QByteArray &path) { opened.push_back(path); };
        const std::vector<DupeRow> rows = ListDuplicateGroups(files, &host, setup);
        const std::string label = std::to_string(c.base) + " stop at " + std::to_string(c.stopAt);
        ASSERT_EQ(opened.size(), size_t(c.opened)) << label;
        ASSERT_EQ(rows.size(), size_t(2 * c.listedPairs)) << label;
        for (int i = 0; i < c.listedPairs; ++i) {
            const QByteArray folder = t.path("g" + QByteArray::number(i) + "/");
            for (int k = 0; k < 2; ++k) {
                const DupeRow &row = rows[size_t(2 * i + k)];
                EXPECT_TRUE(row.path.startsWith(folder)) << label << " " << row.path.constData();
                EXPECT_EQ(row.size.bytes(), int64_t(c.base + i)) << label;
                EXPECT_EQ(row.colour, i % 2 ? Y : C) << label;
            }
        }
        // Folder by folder, in the order of their sizes.
        for (size_t k = 0; k < opened.size(); ++k) {
            const int pair = int((k / 2) % size_t(c.pairs));
            EXPECT_TRUE(opened[k].startsWith(t.path("g" + QByteArray::number(pair) + "/")))
                << label << " " << k;
        }
        EXPECT_EQ(host.calls, c.stopAt ? c.stopAt : (c.base == 100 ? 4 : 5)) << label;
    }
}

TEST(EngineGroups, AStopWhileTheProbeReadsIsHeardThereAndLeavesTheRestUnopened)
{
    // Three small pairs in one folder: the probe is all of the reading. The
    // third file opened waits until a progress call (made meanwhile on the
    // calling thread) has said stop: the pair read before is listed, the
    // fourth file is never opened.
    TempTree t;
    std::vector<QByteArray> names;
    for (int i = 0; i < 3; ++i)
        for (const char *n : {"x", "y"}) {
            t.file(QByteArray(1, char('a' + i)) + n, QByteArray(50 + i, char('a' + i)));
            names.push_back(QByteArray(1, char('a' + i)) + n);
        }
    FileCollection files = CollectionOf(t, names);
    files.trim();
    SortBySize(files);

    std::mutex mutex;
    std::condition_variable changed;
    bool wantStop = false, stopped = false;
    StoppingHost host;
    host.stopWhen = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return wantStop;
    };
    WorkerPool oneHelper(1);
    ReadingSetup setup;
    setup.pool = &oneHelper;
    setup.interval = std::chrono::milliseconds(0);
    std::vector<QByteArray> opened;
    setup.opened = [&](const QByteArray &path) {
        std::unique_lock<std::mutex> lock(mutex);
        opened.push_back(path);
        if (opened.size() == 3) {
            wantStop = true;
            changed.wait(lock, [&] { return stopped; });
        }
    };
    setup.stopped = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        stopped = true;
        changed.notify_all();
    };
    const std::vector<DupeRow> rows = ListDuplicateGroups(files, &host, setup);
    EXPECT_EQ(opened, (std::vector<QByteArray>{t.path("ax"), t.path("ay"), t.path("bx")}));
    EXPECT_EQ(rows, (std::vector<DupeRow>{Row(t, "ax", C), Row(t, "ay", C)}));
    EXPECT_GE(host.calls, 1);
}
