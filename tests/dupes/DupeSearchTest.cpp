// The duplicate finder's searches without the window: what DupeSearch tells
// its listener and when, what a stop or a close at a yield does, and the
// size range and chosen file the walks read.
#include "dupes/engine/DupeSearch.h"
#include "EngineTestHost.h"
#include "dupes/engine/OneFileSearch.h"
#include "support/Fakes.h"
#include "support/TempTree.h"

#include <QStringList>
#include <dirent.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace vs;
using vs::test::RunUnprivileged;
using vs::test::ScriptedYield;
using vs::test::TempTree;

namespace
{

// Every notification as one line, with the number of yields so far, so the
// tests read the order and the pacing at once.
class RecordingListener : public DupeSearchListener
{
  public:
    explicit RecordingListener(const ScriptedYield &yield) : yield_(yield) {}

    void searchStarted(DupeSearchKind kind) override
    {
        note(kind == DupeSearchKind::TreeScan ? "started tree" : "started one");
    }
    void stageChanged(Stage stage) override
    {
        const char *names[] = {"walking", "sorting", "comparing", "listed"};
        note(names[int(stage)]);
    }
    void rowsAdded(const std::vector<DupeRow> &r) override
    {
        note("rows " + std::to_string(r.size()));
        rows.insert(rows.end(), r.begin(), r.end());
    }
    void rowAdded(const DupeRow &row) override
    {
        note("row");
        rows.push_back(row);
    }
    void errorBox(int number, const QString &text, const QString &title) override
    {
        note("error " + std::to_string(number) + "|" + text.toStdString() + "|" + title.toStdString());
    }
    void pictureStep(int image) override { note("picture " + std::to_string(image)); }
    void searchFinished(DupeSearchKind, double seconds, int count) override
    {
        note("finished " + QString::number(seconds).toStdString() + " " + std::to_string(count));
    }

    // The lines without the yield counts.
    std::vector<std::string> plain() const
    {
        std::vector<std::string> out;
        for (const auto &e : events)
            out.push_back(e.second);
        return out;
    }
    int yieldsAt(const std::string &event) const
    {
        for (const auto &e : events)
            if (e.second == event)
                return e.first;
        return -1;
    }

    std::vector<std::pair<int, std::string>> events;
    std::vector<DupeRow> rows;

  private:
    void note(const std::string &what) { events.push_back({yield_.count, what}); }
    const ScriptedYield &yield_;
};

struct SearchFixture : ::testing::Test {
    SearchFixture()
        : search(yield, listener, [this] {
              const double v = readings.empty() ? 0.0 : readings.front();
              if (!readings.empty())
                  readings.erase(readings.begin());
              return v;
          })
    {
    }

    std::set<QByteArray> rowPaths() const
    {
        std::set<QByteArray> out;
        for (const DupeRow &r : listener.rows)
            out.insert(r.path);
        return out;
    }

    TempTree tree;
    ScriptedYield yield;
    RecordingListener listener{yield};
    std::vector<double> readings;
    DupeSearch search;
};

using Strings = std::vector<std::string>;

TEST_F(SearchFixture, TreeScanStagesInOrderWithTheFinishedFigures)
{
    tree.file("a/x1", 100, 'a');
    tree.file("b/x2", 100, 'a');
    tree.file("c1", 200, 'b');
    tree.file("d/c2", 200, 'b');
    tree.file("single", 50, 'z');
    readings = {100.0, 102.25};
    bool stateDuringWalk = false;
    yield.hook = [&](int n) {
        if (n == 1)
            stateDuringWalk = search.running() && search.scanRunning() && !search.stopRequested();
    };

    EXPECT_FALSE(search.scanTree(tree.root()));

    EXPECT_EQ(listener.plain(), (Strings{"started tree", "walking", "sorting", "comparing", "rows 4",
                                         "listed", "finished 2.25 4"}));
    EXPECT_TRUE(stateDuringWalk);
    // The walk yields between "walking" and "sorting".
    EXPECT_EQ(listener.yieldsAt("walking"), 0);
    EXPECT_GT(listener.yieldsAt("sorting"), 0);
    EXPECT_EQ(search.files().fileCount(), 5);
    EXPECT_EQ(rowPaths(), (std::set<QByteArray>{tree.path("a/x1"), tree.path("b/x2"), tree.path("c1"),
                                                tree.path("d/c2")}));
    EXPECT_FALSE(search.running());
    EXPECT_FALSE(search.scanRunning());
    EXPECT_TRUE(readings.empty()) << "the clock is read once at the start and once at the end";
}

TEST_F(SearchFixture, TreeScanWithNothingCollectedSkipsTheLaterStages)
{
    tree.file("empty1", 0);
    tree.file("empty2", 0);
    readings = {5.0, 5.5};
    search.scanTree(tree.root());
    EXPECT_EQ(listener.plain(), (Strings{"started tree", "walking", "finished 0.5 0"}));

    // One file collected: sorted and compared, no rows, but listed.
    listener.events.clear();
    tree.file("only", 10);
    search.scanTree(tree.root());
    EXPECT_EQ(listener.plain(), (Strings{"started tree", "walking", "sorting", "comparing", "rows 0",
                                         "listed", "finished 0 0"}));
    EXPECT_EQ(search.files().fileCount(), 1);
}

TEST_F(SearchFixture, AStopAtAYieldEndsTheWalkAfterTheEntryOfThatYield)
{
    // Root files only, all equal: every collected file is listed.
    for (const char *name : {"f1", "f2", "f3", "f4", "f5"})
        tree.file(name, 10, 'p');
    int stoppedAt = 0;
    yield.hook = [&](int n) {
        if (!stoppedAt && search.files().fileCount() == 2) {
            stoppedAt = n;
            search.requestStop();
            EXPECT_TRUE(search.running()) << "the stop is only a request";
            EXPECT_FALSE(search.scanRunning());
        }
    };
    search.scanTree(tree.root());

    ASSERT_GT(stoppedAt, 0);
    EXPECT_EQ(listener.yieldsAt("sorting"), stoppedAt) << "the walk yields no more after the stop";
    // The file whose yield took the stop is still collected; the stop check
    // before the next file ends the walk. The rest of the pipeline runs on
    // what was collected.
    std::set<QByteArray> expected;
    const std::vector<QByteArray> listing = vs::test::ListingWithDots(tree.root());
    for (size_t i = 0; i < listing.size() && expected.size() < 2; ++i) {
        if (listing[i] != "." && listing[i] != "..")
            expected.insert(tree.path(listing[i]));
        if (expected.size() == 2 && i + 1 < listing.size() && listing[i + 1] != "." && listing[i + 1] != "..")
            expected.insert(tree.path(listing[i + 1]));
    }
    std::set<QByteArray> collected;
    for (const FileRecord &r : search.files().records)
        collected.insert(r.path);
    EXPECT_EQ(collected, expected);
    // The stop still stands while the files are read, so a progress report
    // on the way abandons the reading: the group is listed whole or not at all.
    if (rowPaths().empty())
        EXPECT_EQ(listener.plain().back(), "finished 0 0");
    else
        EXPECT_EQ(rowPaths(), expected);
    EXPECT_FALSE(search.running());
    EXPECT_FALSE(search.stopRequested()) << "the next search starts unstopped";
}

TEST_F(SearchFixture, AStopDuringTheSubfolderPassLetsNoFileIn)
{
    tree.file("p1", 10, 'p');
    tree.file("p2", 10, 'p');
    yield.hook = [&](int n) {
        if (n == 1)
            search.requestStop();
    };
    search.scanTree(tree.root());
    EXPECT_EQ(search.files().fileCount(), 0);
    EXPECT_EQ(listener.plain(), (Strings{"started tree", "walking", "finished 0 0"}));
}

TEST_F(SearchFixture, ACloseDuringASearchWaitsUntilTheSearchReturns)
{
    EXPECT_TRUE(search.requestClose()) << "no search: close at once";
    EXPECT_FALSE(search.closePending());

    tree.file("p1", 10, 'p');
    tree.file("p2", 10, 'p');
    tree.file("sub/q1", 20, 'q');
    tree.file("sub/q2", 20, 'q');
    bool refused = false, pendingDuring = false, secondStart = true;
    yield.hook = [&](int n) {
        if (n == 2) {
            refused = !search.requestClose();
            pendingDuring = search.closePending() && search.stopRequested() && search.running();
            secondStart = search.scanTree(tree.root()) || search.findCopies(tree.root());
        }
    };
    EXPECT_TRUE(search.scanTree(tree.root())) << "the caller closes its window now";
    EXPECT_TRUE(refused);
    EXPECT_TRUE(pendingDuring);
    EXPECT_FALSE(secondStart);
    const Strings events = listener.plain();
    EXPECT_EQ(std::count(events.begin(), events.end(), "started tree"), 1);
    EXPECT_FALSE(search.closePending());
    EXPECT_FALSE(search.running());

    // The one-file search defers a close the same way.
    search.setChosenFile(TakeChosenFile(tree.path("p1")));
    yield.count = 0;
    EXPECT_TRUE(search.findCopies(tree.root()));
    EXPECT_FALSE(search.findCopies(tree.root())) << "no close pending any more";
}

TEST_F(SearchFixture, TheSizeRangeIsReadAtEveryFile)
{
    tree.file("s9", 9, 'a');
    tree.file("s10", 10, 'a');
    tree.file("s20", 20, 'a');
    tree.file("s21", 21, 'a');
    auto collected = [&] {
        search.scanTree(tree.root());
        std::set<QByteArray> names;
        for (const FileRecord &r : search.files().records)
            names.insert(r.path.mid(tree.root().size() + 1));
        return names;
    };
    EXPECT_EQ(collected(), (std::set<QByteArray>{"s9", "s10", "s20", "s21"}))
        << "every file of 1 byte or more";
    search.setSizeRange(true, ByteCount::fromBytes(10), ByteCount::fromBytes(20));
    EXPECT_EQ(search.useMaxSize(), 1);
    EXPECT_EQ(collected(), (std::set<QByteArray>{"s10", "s20"}));
    search.setSizeRange(false, ByteCount::fromBytes(10), ByteCount::fromBytes(20));
    EXPECT_EQ(search.useMaxSize(), 0);
    EXPECT_EQ(collected(), (std::set<QByteArray>{"s20", "s21"}));

    // Changed at a yield in the middle of the file pass: the file of that
    // yield and every later one see the new range.
    search.setSizeRange(false, ByteCount(), ByteCount());
    yield.hook = [&](int) {
        if (search.files().fileCount() == 1)
            search.setSizeRange(false, ByteCount::fromBytes(100), ByteCount());
    };
    EXPECT_EQ(collected().size(), 1u);
}

TEST_F(SearchFixture, OneFileSearchHandsEachCopyOverAsTheWalkMeetsIt)
{
    tree.file("orig.bin", 64, 'q');
    tree.file("sub/copy.bin", 64, 'q');
    tree.file("other.bin", 64, 'r');
    for (int i = 0; i < 105; ++i)
        tree.file("many/e" + QByteArray::number(i), 0);
    search.setChosenFile(TakeChosenFile(tree.path("orig.bin")));
    search.scanTree(tree.root()); // leaves its files behind; the one-file search does not touch them
    const int collectedBefore = search.files().fileCount();
    listener.events.clear();
    listener.rows.clear();
    readings = {1.0, 1.125};

    EXPECT_FALSE(search.findCopies(tree.root()));

    const Strings events = listener.plain();
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ((Strings{events[0], events[1]}), (Strings{"started one", "walking"}));
    EXPECT_EQ((Strings{events.end() - 2, events.end()}), (Strings{"listed", "finished 0.125 2"}));
    // The 103rd entry of the walk steps the hourglass to picture 103 % 17 + 1.
    EXPECT_EQ(std::count(events.begin(), events.end(), "picture 2"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "row"), 2);
    EXPECT_EQ(std::count(events.begin(), events.end(), "rows 0"), 0) << "no batch in the one-file search";
    ASSERT_EQ(listener.rows.size(), 2u);
    EXPECT_EQ(listener.rows[0].path, tree.path("orig.bin"));
    EXPECT_EQ(listener.rows[0].colour, kDupeYellow);
    EXPECT_EQ(listener.rows[0].toolTip, SameFileMarker());
    EXPECT_EQ(listener.rows[1].path, tree.path("sub/copy.bin"));
    EXPECT_EQ(listener.rows[1].colour, kDupeCyan);
    EXPECT_EQ(search.files().fileCount(), collectedBefore);

    // Rows arrive during the walk, each after a yield of its own.
    int lastYield = -1;
    for (const auto &e : listener.events)
        if (e.second == "row") {
            EXPECT_GT(e.first, lastYield);
            lastYield = e.first;
        }
}

TEST_F(SearchFixture, AWalkErrorReachesTheListenerDuringTheWalk)
{
    tree.file("open", 2);
    tree.file("noexec/f", 2);
    chmod(tree.root().constData(), 0755);
    chmod(tree.path("noexec").constData(), 0744);
    if (geteuid() != 0)
        chmod(tree.path("noexec").constData(), 0444);
    const std::string out = RunUnprivileged([&] {
        search.scanTree(tree.root());
        std::string s;
        for (const std::string &e : listener.plain())
            s += e + "\n";
        return s;
    });
    chmod(tree.path("noexec").constData(), 0755);
    const std::string root = tree.root().toStdString();
    EXPECT_EQ(out, "started tree\nwalking\nerror 70|70Отказано в разрешении\r" + root +
                       "/noexec/f|70\n"
                       "sorting\ncomparing\nrows 0\nlisted\nfinished 0 0\n");
}

} // namespace
