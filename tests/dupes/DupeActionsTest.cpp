// Acting on the listed duplicates, on real temporary trees with a fake home
// trash (XDG_DATA_HOME): the selection rules, hard links, the space counts,
// and every safety rule of the move to the trash.
#include "dupes/engine/DupeActions.h"
#include "EngineTestHost.h"
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/engine/FileChecksum.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vs;
using vs::test::TempTree;

namespace
{

constexpr uint32_t C = kDupeCyan;
constexpr uint32_t Y = kDupeYellow;

void SetMtime(const QByteArray &path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// What a forked mover reports back: [problem|]moved count|reasons...
std::string Outcome(const MoveReport &r, const QString &problem = QString())
{
    QStringList parts;
    if (!problem.isNull())
        parts << problem;
    parts << QString::number(r.moved.size());
    for (const LeftAlone &l : r.leftAlone)
        parts << l.reason;
    return parts.join(QLatin1Char('|')).toStdString();
}

class DupeActionsTest : public ::testing::Test
{
  protected:
    DupeActionsTest()
    {
        saved_ = qgetenv("XDG_DATA_HOME");
        tree.mkdir("data");
        qputenv("XDG_DATA_HOME", tree.path("data"));
    }
    ~DupeActionsTest() override { qputenv("XDG_DATA_HOME", saved_); }

    // The listed rows: (name, colour) in list order, identified now.
    std::vector<ListedFile> list(const std::vector<std::pair<QByteArray, uint32_t>> &names) const
    {
        std::vector<DupeRow> rows;
        for (const auto &[name, colour] : names) {
            struct stat st {
            };
            EXPECT_EQ(lstat(tree.path(name).constData(), &st), 0) << name.constData();
            rows.push_back(
                DupeRow{tree.path(name), ByteCount::fromBytes(uint64_t(st.st_size)), 7, colour, {}, {}});
        }
        return IdentifyRows(rows, false);
    }
    static std::vector<bool> mask(std::initializer_list<int> bits)
    {
        std::vector<bool> m;
        for (int b : bits)
            m.push_back(b != 0);
        return m;
    }
    bool exists(const QByteArray &rel) const
    {
        struct stat st {
        };
        return lstat(tree.path(rel).constData(), &st) == 0;
    }
    QByteArray trashed(const QByteArray &name) const
    {
        QFile f(QFile::decodeName(tree.path("data/Trash/files/" + name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    static std::vector<QString> reasons(const MoveReport &r)
    {
        std::vector<QString> out;
        for (const LeftAlone &l : r.leftAlone)
            out.push_back(QString::number(l.row) + QLatin1Char(' ') + l.reason);
        return out;
    }

    TempTree tree;

  private:
    QByteArray saved_;
};

} // namespace

TEST_F(DupeActionsTest, GroupsFollowTheColoursAndIdentityIsTakenWhenListed)
{
    tree.file("a", 10, 'a');
    tree.file("b", 10, 'a');
    tree.file("c", 20, 'c');
    tree.file("d", 20, 'c');
    tree.file("e", 30, 'e');
    tree.file("f", 30, 'e');
    const auto files = list({{"a", C}, {"b", C}, {"c", Y}, {"d", Y}, {"e", C}, {"f", C}});
    std::vector<int> groups;
    for (const ListedFile &f : files) {
        groups.push_back(f.group);
        EXPECT_TRUE(f.identified);
    }
    EXPECT_EQ(groups, (std::vector<int>{1, 1, 2, 2, 3, 3}));
    struct stat st {
    };
    ASSERT_EQ(lstat(tree.path("c").constData(), &st), 0);
    EXPECT_EQ(files[2].ino, uint64_t(st.st_ino));
    EXPECT_EQ(files[2].mtimeNs, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);

    // A one-file search is one group; a row already gone is not identified.
    std::vector<DupeRow> rows{{tree.path("a"), ByteCount::fromBytes(10), 0, Y, {}, {}},
                              {tree.path("gone"), ByteCount::fromBytes(10), 0, C, {}, {}}};
    const auto one = IdentifyRows(rows, true);
    EXPECT_EQ(one[0].group, 1);
    EXPECT_EQ(one[1].group, 1);
    EXPECT_FALSE(one[1].identified);
}

TEST_F(DupeActionsTest, ALongListIsIdentifiedInOrderAndTheWalksFirstRecordOfAPathDecides)
{
    // More rows than one helper's share, pairs in alternating colours.
    constexpr int kRows = 1300;
    std::vector<DupeRow> rows;
    FileCollection walked;
    walked.reset();
    std::vector<uint64_t> inodes;
    for (int i = 0; i < kRows; ++i) {
        const QByteArray name = "f" + QByteArray::number(i);
        tree.file(name, 3, 'z');
        struct stat st {
        };
        ASSERT_EQ(lstat(tree.path(name).constData(), &st), 0);
        inodes.push_back(uint64_t(st.st_ino));
        rows.push_back(DupeRow{tree.path(name), ByteCount::fromBytes(3), 0, (i / 2) % 2 ? Y : C, {}, {}});
    }
    // The walk met f1100 first as another file (replaced since), f700 first
    // as itself and then again as another; the rest once, as themselves.
    struct stat st {
    };
    ASSERT_EQ(lstat(tree.path("f0").constData(), &st), 0);
    auto recordAs = [&](int i, uint64_t ino) {
        FileRecord r;
        r.path = tree.path("f" + QByteArray::number(i));
        r.size = ByteCount::fromBytes(3);
        r.dev = uint64_t(st.st_dev);
        r.ino = ino;
        walked.append(r);
    };
    recordAs(1100, inodes[1100] + 1);
    for (int i = 0; i < kRows; ++i)
        recordAs(i, inodes[size_t(i)]);
    recordAs(700, inodes[700] + 1);
    walked.trim();

    const std::vector<ListedFile> files = IdentifyRows(rows, false, &walked, [] {});
    ASSERT_EQ(files.size(), size_t(kRows));
    for (int i = 0; i < kRows; ++i) {
        const ListedFile &f = files[size_t(i)];
        EXPECT_EQ(f.path, rows[size_t(i)].path) << i;
        EXPECT_EQ(f.group, i / 2 + 1) << i;
        EXPECT_EQ(f.ino, inodes[size_t(i)]) << i;
        EXPECT_EQ(f.identified, i != 1100) << i;
    }
    // The same without a wait of the caller's.
    const std::vector<ListedFile> again = IdentifyRows(rows, false, &walked);
    for (int i = 0; i < kRows; ++i)
        EXPECT_EQ(again[size_t(i)].identified, i != 1100) << i;
}

TEST_F(DupeActionsTest, SelectionRulesKeepTheFirstTheOldestTheNewestOrTheFolder)
{
    tree.file("keep/x", 100, 'x');
    tree.file("b/x", 100, 'x');
    tree.file("c/x", 100, 'x');
    tree.file("b/y", 50, 'y');
    tree.file("c/y", 50, 'y');
    SetMtime(tree.path("keep/x"), 2000);
    SetMtime(tree.path("b/x"), 1000);
    SetMtime(tree.path("c/x"), 3000);
    SetMtime(tree.path("b/y"), 5000);
    SetMtime(tree.path("c/y"), 5000); // a tie keeps the first
    const auto files = list({{"keep/x", C}, {"b/x", C}, {"c/x", C}, {"b/y", Y}, {"c/y", Y}});

    EXPECT_EQ(SelectExtraCopies(files, KeepRule::FirstInGroup).selected, mask({0, 1, 1, 0, 1}));
    EXPECT_EQ(SelectExtraCopies(files, KeepRule::Oldest).selected, mask({1, 0, 1, 0, 1}));
    EXPECT_EQ(SelectExtraCopies(files, KeepRule::Newest).selected, mask({1, 1, 0, 0, 1}));

    // Every copy in the folder (or below it) stays; a group without one stays unselected.
    ExtraCopies inKeep = SelectExtraCopies(files, KeepRule::InFolder, tree.path("keep"));
    EXPECT_EQ(inKeep.selected, mask({0, 1, 1, 0, 0}));
    EXPECT_EQ(inKeep.groupsWithoutKept, 1);
    ExtraCopies inC = SelectExtraCopies(files, KeepRule::InFolder, tree.path("c") + "/");
    EXPECT_EQ(inC.selected, mask({1, 1, 0, 1, 0}));
    EXPECT_EQ(inC.groupsWithoutKept, 0);
    // "b" is no folder of "bx/...": the folder is matched whole.
    tree.file("bx/x", 100, 'x');
    const auto more = list({{"bx/x", C}, {"c/x", C}});
    EXPECT_EQ(SelectExtraCopies(more, KeepRule::InFolder, tree.path("b")).groupsWithoutKept, 1);
}

TEST_F(DupeActionsTest, EachLinkNamesItsPartnersInListOrder)
{
    tree.file("m", 64, 'm');
    tree.hardlink("m", "m2");
    tree.hardlink("m", "m3");
    tree.file("n", 64, 'm');
    tree.hardlink("n", "n2");
    const auto files = list({{"m3", C}, {"n", C}, {"m", C}, {"n2", C}, {"m2", C}});
    const std::vector<std::vector<int>> expected{{2, 4}, {3}, {0, 4}, {1}, {0, 2}};
    EXPECT_EQ(HardLinkPartners(files), expected);
    // One group of two files: one of them could go.
    EXPECT_EQ(ReclaimableSpace(files).bytes(), 64);
}

TEST_F(DupeActionsTest, HardLinksAreNeverSelectedWithTheirKeptFileAndFreeNothing)
{
    tree.file("a", 4096, 'h');
    tree.hardlink("a", "a2");
    tree.file("b", 4096, 'h');
    tree.file("p", 1000, 'p');
    tree.file("q", 1000, 'p');
    tree.file("r", 1000, 'p');
    const auto files = list({{"a", C}, {"a2", C}, {"b", C}, {"p", Y}, {"q", Y}, {"r", Y}});

    const auto partners = HardLinkPartners(files);
    EXPECT_EQ(partners[0], std::vector<int>{1});
    EXPECT_EQ(partners[1], std::vector<int>{0});
    EXPECT_TRUE(partners[2].empty());

    // Two files in the first group (a = a2, b), three in the second.
    EXPECT_EQ(ReclaimableSpace(files).bytes(), 4096 + 2 * 1000);
    EXPECT_EQ(SelectExtraCopies(files, KeepRule::FirstInGroup).selected, mask({0, 0, 1, 0, 1, 1}));
    SetMtime(tree.path("b"), 1);
    const auto again = list({{"a", C}, {"a2", C}, {"b", C}});
    EXPECT_EQ(SelectExtraCopies(again, KeepRule::Oldest).selected, mask({1, 1, 0}));

    // A link whose twin stays frees nothing; both links together free the file.
    EXPECT_EQ(SelectionSpace(files, mask({0, 1, 0, 0, 0, 0})).bytes(), 0);
    EXPECT_EQ(SelectionSpace(files, mask({1, 1, 0, 0, 0, 0})).bytes(), 4096);
    EXPECT_EQ(SelectionSpace(files, mask({0, 1, 1, 0, 1, 0})).bytes(), 4096 + 1000);

    // Moving the lone link: it goes to the trash, the file stays, nothing is freed.
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1, 0, 0, 0, 0})));
    EXPECT_EQ(r.moved, std::vector<int>{1});
    EXPECT_EQ(r.freed.bytes(), 0);
    EXPECT_TRUE(exists("a"));
    EXPECT_FALSE(exists("a2"));
}

TEST_F(DupeActionsTest, MovesTheExtraCopiesToTheHomeTrashAndKeepsTheRest)
{
    tree.file("d/one", 3000, 'z');
    tree.file("d/two", 3000, 'z');
    tree.file("three", 3000, 'z');
    const auto files = list({{"d/one", C}, {"d/two", C}, {"three", C}});
    const MovePlan plan = PlanMove(files, mask({0, 1, 1}));
    EXPECT_EQ(plan.toMove, (std::vector<int>{1, 2}));
    EXPECT_EQ(plan.space.bytes(), 6000);
    EXPECT_EQ(plan.skippedGroups, 0);

    int asked = 0;
    const MoveReport r = MoveToTrash(files, plan, [&] { return ++asked > 0; });
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(r.moved, (std::vector<int>{1, 2}));
    EXPECT_TRUE(r.leftAlone.empty());
    EXPECT_EQ(r.freed.bytes(), 6000);
    EXPECT_TRUE(exists("d/one"));
    EXPECT_FALSE(exists("d/two"));
    EXPECT_FALSE(exists("three"));
    EXPECT_EQ(trashed("two"), QByteArray(3000, 'z'));
    EXPECT_EQ(trashed("three"), QByteArray(3000, 'z'));
    QFile info(QFile::decodeName(tree.path("data/Trash/info/two.trashinfo")));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    EXPECT_TRUE(info.readAll().contains("Path=" + tree.path("d/two")));
}

TEST_F(DupeActionsTest, AGroupSelectedWholeIsSkippedAndNeverEmptied)
{
    tree.file("a", 10, 'a');
    tree.file("b", 10, 'a');
    tree.file("c", 20, 'c');
    tree.file("d", 20, 'c');
    const auto files = list({{"a", C}, {"b", C}, {"c", Y}, {"d", Y}});
    const MovePlan plan = PlanMove(files, mask({1, 1, 0, 1}));
    EXPECT_EQ(plan.toMove, std::vector<int>{3});
    EXPECT_EQ(plan.skippedGroups, 1);
    EXPECT_EQ(plan.skippedFiles, 2);
    EXPECT_EQ(plan.space.bytes(), 20);
    EXPECT_EQ(SelectionSpace(files, mask({1, 1, 0, 0})).bytes(), 0);

    const MoveReport r = MoveToTrash(files, plan);
    EXPECT_EQ(r.moved, std::vector<int>{3});
    EXPECT_TRUE(exists("a"));
    EXPECT_TRUE(exists("b"));
    EXPECT_TRUE(exists("c"));
    // Everything selected: nothing at all moves.
    EXPECT_TRUE(PlanMove(files, mask({1, 1, 1, 1})).toMove.empty());
}

TEST_F(DupeActionsTest, AFileChangedOrReplacedSinceListingIsLeftAlone)
{
    for (const char *n : {"keep", "touched", "rewritten", "replaced", "gone", "fine"})
        tree.file(n, 64, 'k');
    const auto files =
        list({{"keep", C}, {"touched", C}, {"rewritten", C}, {"replaced", C}, {"gone", C}, {"fine", C}});
    // Same bytes, new time.
    SetMtime(tree.path("touched"), 12345);
    // Other bytes of the same size under the old time: only the read tells.
    {
        struct stat st {
        };
        ASSERT_EQ(lstat(tree.path("rewritten").constData(), &st), 0);
        tree.file("rewritten", 64, 'r');
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.path("rewritten").constData(), times, 0), 0);
    }
    // Another file renamed over it: same path, another inode.
    tree.file("new", 64, 'k');
    ASSERT_EQ(rename(tree.path("new").constData(), tree.path("replaced").constData()), 0);
    ASSERT_EQ(unlink(tree.path("gone").constData()), 0);

    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1, 1, 1, 1, 1})));
    EXPECT_EQ(r.moved, std::vector<int>{5});
    EXPECT_EQ(reasons(r), (std::vector<QString>{
                              QStringLiteral("1 файл изменён после поиска"),
                              QStringLiteral("2 содержимое отличается от оставляемой копии"),
                              QStringLiteral("3 файл заменён другим"), QStringLiteral("4 файл не найден")}));
    EXPECT_EQ(r.freed.bytes(), 64);
    for (const char *n : {"keep", "touched", "rewritten", "replaced"})
        EXPECT_TRUE(exists(n)) << n;
}

TEST_F(DupeActionsTest, ATreeScansRowsCarryTheFilesAsReadAndAMoveStillChecksThem)
{
    for (const char *n : {"keep", "touched", "gone", "fine"})
        tree.file(n, 64, 'k');
    tree.hardlink("keep", "link");
    FileCollection walked = vs::test::CollectionOf(tree, {"keep", "touched", "gone", "fine", "link"});
    SortBySize(walked);
    const std::vector<DupeRow> rows = ListDuplicateGroups(walked);
    ASSERT_EQ(rows.size(), 5u);
    for (const DupeRow &row : rows) {
        struct stat st {
        };
        ASSERT_EQ(lstat(row.path.constData(), &st), 0);
        EXPECT_TRUE(row.seen.known()) << row.path.constData();
        EXPECT_EQ(row.seen.dev, uint64_t(st.st_dev));
        EXPECT_EQ(row.seen.ino, uint64_t(st.st_ino));
        EXPECT_EQ(row.seen.mtimeNs, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
    }

    // Changed after the reading: the rows are taken as read, without a look
    // at the files (a file gone meanwhile still counts as identified) ...
    SetMtime(tree.path("touched"), 12345);
    ASSERT_EQ(unlink(tree.path("gone").constData()), 0);
    const std::vector<ListedFile> files = IdentifyRows(rows, false, &walked);
    std::vector<QByteArray> names;
    for (const ListedFile &f : files) {
        EXPECT_TRUE(f.identified) << f.path.constData();
        names.push_back(QFileInfo(QFile::decodeName(f.path)).fileName().toUtf8());
    }
    ASSERT_EQ(names, (std::vector<QByteArray>{"keep", "touched", "gone", "fine", "link"}));
    EXPECT_EQ(HardLinkPartners(files)[0], std::vector<int>{4});
    // ... and the move looks again, file by file, before it touches any.
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1, 1, 1, 0})));
    EXPECT_EQ(r.moved, std::vector<int>{3});
    EXPECT_EQ(reasons(r), (std::vector<QString>{QStringLiteral("1 файл изменён после поиска"),
                                                QStringLiteral("2 файл не найден")}));
    EXPECT_TRUE(exists("touched"));
    EXPECT_FALSE(exists("fine"));
}

TEST_F(DupeActionsTest, NothingMovesWhenNoKeptCopyIsStillAsListed)
{
    tree.file("keep", 64, 'k');
    tree.file("extra", 64, 'k');
    const auto files = list({{"keep", C}, {"extra", C}});
    tree.file("keep", 64, 'q'); // the copy that was to stay is another file now
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
    EXPECT_TRUE(r.moved.empty());
    EXPECT_EQ(reasons(r), std::vector<QString>{QStringLiteral("1 не удалось прочитать оставляемую копию")});
    EXPECT_TRUE(exists("extra"));
}

TEST_F(DupeActionsTest, ANameTheTrashCannotTakeExactlyIsLeftAlone)
{
    tree.file("keep", 64, 'k');
    tree.file("bad\xff", 64, 'k');
    tree.file("bad\xef\xbf\xbd", 64, 'k'); // what the bad name would decode to
    const auto files = list({{"keep", C}, {"bad\xff", C}});
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
    EXPECT_EQ(reasons(r), std::vector<QString>{QStringLiteral("1 имя файла нельзя передать корзине")});
    EXPECT_TRUE(exists("bad\xff"));
    EXPECT_TRUE(exists("bad\xef\xbf\xbd"));
}

TEST_F(DupeActionsTest, StopBetweenFilesLeavesTheRestWhereItIs)
{
    for (const char *n : {"a", "b", "c"})
        tree.file(n, 8, 's');
    const auto files = list({{"a", C}, {"b", C}, {"c", C}});
    int calls = 0;
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1, 1})), [&] { return ++calls < 2; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.moved, std::vector<int>{1});
    EXPECT_TRUE(exists("c"));
}

// A folder the user may not change: run as an ordinary user (forked when the
// tests run as root) so that the permission bites.
TEST_F(DupeActionsTest, AReadOnlyFolderIsNotTouched)
{
    tree.file("ro/keep", 32, 'r');
    tree.file("ro/extra", 32, 'r');
    const auto files = list({{"ro/keep", C}, {"ro/extra", C}});
    ASSERT_EQ(chmod(tree.root().constData(), 0755), 0);
    ASSERT_EQ(chmod(tree.path("ro").constData(), 0555), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(tree.path("data").constData(), 65534, 65534), 0);
    }
    const std::string out = vs::test::RunUnprivileged([&] {
        const QString problem = TrashProblem(tree.path("ro/extra"));
        const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
        return Outcome(r, problem);
    });
    EXPECT_EQ(out, "нет права изменять папку|0|нет права изменять папку");
    EXPECT_TRUE(exists("ro/extra"));
    ASSERT_EQ(chmod(tree.path("ro").constData(), 0755), 0);
}

namespace
{

// A small tmpfs mounted inside the tree (root only), unmounted at the end.
class Volume
{
  public:
    explicit Volume(const QByteArray &at) : at_(at)
    {
        mounted_ = geteuid() == 0 && mount("tmpfs", at.constData(), "tmpfs", 0, "size=1m,mode=0755") == 0;
    }
    ~Volume()
    {
        if (mounted_)
            umount2(at_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() const
    {
        return mount(nullptr, at_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, "size=1m,mode=0755") == 0;
    }

  private:
    QByteArray at_;
    bool mounted_ = false;
};

} // namespace

TEST_F(DupeActionsTest, AnotherVolumeUsesItsOwnTrashFolder)
{
    tree.mkdir("vol");
    Volume vol(tree.path("vol"));
    if (!vol.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    tree.file("vol/keep", 16, 'v');
    tree.file("vol/extra", 16, 'v');
    const auto files = list({{"vol/keep", C}, {"vol/extra", C}});
    EXPECT_EQ(TrashProblem(tree.path("vol/extra")), QString());
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
    EXPECT_EQ(r.moved, std::vector<int>{1});
    struct stat st {
    };
    EXPECT_EQ(
        lstat(tree.path("vol/.Trash-" + QByteArray::number(getuid()) + "/files/extra").constData(), &st), 0);
}

TEST_F(DupeActionsTest, AReadOnlyFileSystemIsNotTouched)
{
    tree.mkdir("vol");
    Volume vol(tree.path("vol"));
    if (!vol.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    tree.file("vol/keep", 16, 'v');
    tree.file("vol/extra", 16, 'v');
    const auto files = list({{"vol/keep", C}, {"vol/extra", C}});
    ASSERT_TRUE(vol.makeReadOnly());
    const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
    EXPECT_TRUE(r.moved.empty());
    EXPECT_EQ(reasons(r), std::vector<QString>{QStringLiteral("1 файловая система только для чтения")});
    EXPECT_TRUE(exists("vol/extra"));
    EXPECT_FALSE(exists("vol/.Trash-" + QByteArray::number(getuid())));
}

// A volume whose top folder the user may not write: no trash there, and the
// home trash is on another device, so the file stays where it is.
TEST_F(DupeActionsTest, AVolumeWithoutATrashTheUserMayCreateIsNotTouched)
{
    tree.mkdir("vol");
    Volume vol(tree.path("vol"));
    if (!vol.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    tree.file("vol/own/keep", 16, 'v');
    tree.file("vol/own/extra", 16, 'v');
    const auto files = list({{"vol/own/keep", C}, {"vol/own/extra", C}});
    ASSERT_EQ(chmod(tree.root().constData(), 0755), 0);
    for (const char *n : {"vol/own", "vol/own/keep", "vol/own/extra", "data"})
        ASSERT_EQ(chown(tree.path(n).constData(), 65534, 65534), 0);
    const std::string out = vs::test::RunUnprivileged([&] {
        const MoveReport r = MoveToTrash(files, PlanMove(files, mask({0, 1})));
        return Outcome(r);
    });
    EXPECT_EQ(out, "0|на этом томе нет корзины");
    EXPECT_TRUE(exists("vol/own/extra"));
    EXPECT_FALSE(exists("vol/.Trash-65534"));
}
