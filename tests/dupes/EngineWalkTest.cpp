// The two folder walks on real trees: order, counters, yields, stops, the
// size range, growth of the collection, odd entries and the error policy.
#include "EngineTestHost.h"
#include "dupes/engine/FileWalk.h"
#include "support/TempTree.h"
#include "util/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vs;
using vs::test::ListingOrder;
using vs::test::RecordingHost;
using vs::test::RunUnprivileged;
using vs::test::TempTree;

namespace
{

std::vector<QByteArray> Paths(const FileCollection &files)
{
    std::vector<QByteArray> out;
    for (const FileRecord &r : files.records)
        out.push_back(r.path);
    return out;
}

bool IsDir(const QByteArray &p)
{
    struct stat st {
    };
    return lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegular(const QByteArray &p)
{
    struct stat st {
    };
    return lstat(p.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// Files of a folder first, in listing order, then each subfolder likewise.
void ExpectedWalk(const QByteArray &folder, std::vector<QByteArray> &out)
{
    const std::vector<QByteArray> names = ListingOrder(folder);
    for (const QByteArray &n : names)
        if (IsRegular(folder + '/' + n))
            out.push_back(folder + '/' + n);
    for (const QByteArray &n : names)
        if (IsDir(folder + '/' + n))
            ExpectedWalk(folder + '/' + n, out);
}

int CountLinesStartingWith(const std::string &text, const std::string &start)
{
    int n = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        n += text.compare(at, start.size(), start) == 0;
        at = end + 1;
    }
    return n;
}

FileCollection Collect(RecordingHost &host, const QByteArray &root, int32_t *entries = nullptr,
                       int32_t *folders = nullptr)
{
    FileCollection files;
    files.reset();
    QByteArray path = root;
    int32_t e = 0, f = 0;
    FindFilesAPI_all(host, files, path, "*.*", e, f);
    if (entries)
        *entries = e;
    if (folders)
        *folders = f;
    return files;
}

void RemoveTree(int parent, const char *name)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        for (const QByteArray &n : [&] {
                 std::vector<QByteArray> names;
                 DIR *d = fdopendir(dup(fd));
                 while (dirent *e = readdir(d))
                     if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                         names.emplace_back(e->d_name);
                 closedir(d);
                 return names;
             }())
            RemoveTree(fd, n.constData());
        close(fd);
        unlinkat(parent, name, AT_REMOVEDIR);
    } else {
        unlinkat(parent, name, 0);
    }
}

// A temporary folder in memory where there is one: the trees of tens of
// thousands of entries below are slow to make and remove on a real disk.
struct MemoryTree {
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/vs-dupes-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/vs-dupes-XXXXXX")};
    QByteArray root() const { return QFile::encodeName(dir.path()); }
    QByteArray path(const char *rel) const { return root() + '/' + rel; }
};

} // namespace

TEST(EngineWalk, FilesBeforeSubfoldersInListingOrderWithCountersAndYields)
{
    TempTree t;
    for (const char *f : {"f1", "f2", "f3", "d1/g1", "d1/g2", "d1/sub/h", "d2/k", "d3/e/deep"})
        t.file(f, 5);
    t.mkdir("empty");
    std::vector<QByteArray> expected;
    ExpectedWalk(t.root(), expected);
    ASSERT_EQ(expected.size(), 8u);

    for (const QByteArray &given : {t.root(), t.root() + '/'}) {
        RecordingHost host;
        QByteArray path = given;
        FileCollection files;
        files.reset();
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        EXPECT_EQ(path, t.root() + '/'); // the caller's variable gets exactly one "/"
        EXPECT_EQ(Paths(files), expected);
        EXPECT_EQ(entries, 8 + 6); // files and folders, never "." or ".."
        EXPECT_EQ(folders, 6);     // d1 d1/sub d2 d3 d3/e empty
        // Two passes per folder, one yield per entry, "." and ".." included.
        EXPECT_EQ(host.yields, 2 * ((7 + 2) + (3 + 2) + (1 + 2) + (1 + 2) + (1 + 2) + (1 + 2) + (0 + 2)));
        EXPECT_TRUE(host.errors.empty());
    }
}

TEST(EngineWalk, SizeRangeBoundsAndEmptyFiles)
{
    TempTree t;
    for (int size : {0, 9, 10, 11, 20, 21})
        t.file("s" + QByteArray::number(size), size);
    t.file("z2", 0);
    auto sizes = [&](RecordingHost &host) {
        std::vector<int64_t> out;
        for (const FileRecord &r : Collect(host, t.root()).records)
            out.push_back(r.size.bytes());
        std::sort(out.begin(), out.end());
        return out;
    };
    RecordingHost initial;
    EXPECT_EQ(sizes(initial), (std::vector<int64_t>{9, 10, 11, 20, 21}));
    RecordingHost lower;
    lower.minBytes = 10;
    EXPECT_EQ(sizes(lower), (std::vector<int64_t>{11, 20, 21})); // strictly above the lower bound
    RecordingHost both;
    both.useMax = 1;
    both.minBytes = 10;
    both.maxBytes = 20;
    EXPECT_EQ(sizes(both), (std::vector<int64_t>{10, 11, 20})); // both ends included
    RecordingHost zero;
    zero.useMax = 1;
    EXPECT_EQ(sizes(zero), (std::vector<int64_t>{0, 0}));
}

TEST(EngineWalk, RangeIsReadAgainAtEveryFile)
{
    TempTree t;
    for (int i = 0; i < 6; ++i)
        t.file("f" + QByteArray::number(i), 4);
    const std::vector<QByteArray> listing = vs::test::ListingWithDots(t.root());
    RecordingHost host;
    const int firstFilePassYield = int(listing.size()) + 1;
    host.onYield = [&](int n) {
        if (n == firstFilePassYield + 3)
            host.minBytes = 100; // the panel is closed with a new range mid-walk
    };
    const FileCollection files = Collect(host, t.root());
    int before = 0;
    for (int i = 0; i < 3; ++i)
        before += listing[size_t(i)] != "." && listing[size_t(i)] != "..";
    EXPECT_EQ(files.fileCount(), before);
}

TEST(EngineWalk, CollectionGrowsTenThousandAtATime)
{
    MemoryTree t;
    const int fd = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 20001; ++i) {
        const int f = openat(fd, QByteArray::number(i).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(f, 0);
        ASSERT_EQ(write(f, "x", 1), 1);
        close(f);
    }
    close(fd);
    RecordingHost host;
    FileCollection files;
    files.reset();
    EXPECT_EQ(files.fileCapacity(), 10000);
    std::map<int, int> capacityAt;
    host.onYield = [&](int) { capacityAt[files.fileCount()] = files.fileCapacity(); };
    QByteArray path = t.root();
    int32_t e = 0, f = 0;
    FindFilesAPI_all(host, files, path, "*.*", e, f);
    EXPECT_EQ(capacityAt[10000], 10000);
    EXPECT_EQ(capacityAt[10001], 20000);
    EXPECT_EQ(capacityAt[20000], 20000);
    EXPECT_EQ(files.fileCount(), 20001);
    EXPECT_EQ(files.fileCapacity(), 30000);
    files.trim();
    EXPECT_EQ(files.fileCapacity(), 20001);
}

TEST(EngineWalk, CollectingStopReturnsBeforeTheNextEntryAndSkipsSubfolders)
{
    TempTree t;
    for (const char *f : {"a", "b", "c", "d", "e", "sub/inner"})
        t.file(f, 3);
    const std::vector<QByteArray> listing = vs::test::ListingWithDots(t.root());
    const int subfolderPass = int(listing.size());
    for (int k = 1; k <= int(listing.size()); ++k) {
        RecordingHost host;
        host.onYield = [&](int n) {
            if (n == subfolderPass + k)
                host.running = false; // "Отмена" pressed during the k-th file-pass yield
        };
        int32_t entries = 0, folders = 0;
        const FileCollection files = Collect(host, t.root(), &entries, &folders);
        std::vector<QByteArray> expected;
        for (int i = 0; i < k; ++i)
            if (IsRegular(t.root() + '/' + listing[size_t(i)]))
                expected.push_back(t.root() + '/' + listing[size_t(i)]);
        EXPECT_EQ(Paths(files), expected) << k;
        // The entry after the stop is not yielded for; a stop at the last
        // entry still lets the recursion make the subfolder's own listing pass.
        const int subPass = k == int(listing.size()) ? 3 : 0;
        EXPECT_EQ(host.yields, subfolderPass + k + subPass) << k;
        EXPECT_EQ(folders, 1) << k; // its subfolder pass had run
    }
}

TEST(EngineWalk, MatchingWalkChecksStopOnlyAtFilesAndStepsThePicture)
{
    TempTree t;
    t.file("only/dir/x", 3);
    RecordingHost stopped;
    stopped.running = false;
    QByteArray path = t.root();
    int32_t entries = 0, folders = 0;
    FindFilesAPI(stopped, path, "*.*", entries, folders);
    EXPECT_EQ(entries, 3); // "only" and "dir" hold no files, so nothing stops the way to x
    EXPECT_EQ(folders, 2);
    RecordingHost collecting;
    collecting.running = false;
    Collect(collecting, t.root(), &entries, &folders);
    EXPECT_EQ(entries, 0); // the collecting walk stops before its first entry
    EXPECT_EQ(folders, 1);

    TempTree many;
    for (int i = 0; i < 150; ++i)
        many.file("f" + QByteArray::number(i), 1);
    for (int i = 0; i < 100; ++i)
        many.file("sub/g" + QByteArray::number(i), 1);
    RecordingHost host;
    host.chosen.size = ByteCount::fromBytes(999);
    path = many.root();
    entries = folders = 0;
    FindFilesAPI(host, path, "*.*", entries, folders);
    EXPECT_EQ(entries, 251);
    // Entries 103 and 206 (the counter runs on into the subfolder): pictures 2 and 3.
    EXPECT_EQ(host.pictures, (std::vector<int>{2, 3}));
    RecordingHost none;
    path = many.root();
    entries = folders = 0;
    Collect(none, many.root(), &entries, &folders);
    EXPECT_TRUE(none.pictures.empty());
}

TEST(EngineWalk, LinksFifosSocketsAndLoopsAreNeverFollowedOrCollected)
{
    TempTree t;
    t.file("a/x", 3);
    t.symlink("..", "a/loop");
    t.symlink(t.path("a"), "dirlink");
    t.symlink("a/x", "filelink");
    t.symlink("nowhere", "dangling");
    ASSERT_EQ(mkfifo(t.path("fifo").constData(), 0644), 0);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sock = t.path("sock");
    if (sock.size() < qsizetype(sizeof addr.sun_path)) {
        memcpy(addr.sun_path, sock.constData(), size_t(sock.size()));
        ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    }
    RecordingHost host;
    int32_t entries = 0, folders = 0;
    const FileCollection files = Collect(host, t.root(), &entries, &folders);
    close(s);
    EXPECT_EQ(Paths(files), (std::vector<QByteArray>{t.path("a/x")}));
    EXPECT_EQ(folders, 1);
    EXPECT_TRUE(host.errors.empty());
}

TEST(EngineWalk, UnreadableFolderIsSilentAndUnsearchableOneShowsTheError)
{
    TempTree t;
    t.file("open", 2);
    t.file("shut/hidden", 2);
    t.file("noexec/f", 2);
    t.file("later/g", 2);
    chmod(t.root().constData(), 0755);
    chmod(t.path("shut").constData(), 0700);
    chmod(t.path("noexec").constData(), 0744);
    if (geteuid() != 0) {
        chmod(t.path("shut").constData(), 0);
        chmod(t.path("noexec").constData(), 0444);
    }
    const std::string out = RunUnprivileged([&] {
        RecordingHost host;
        const FileCollection files = Collect(host, t.root());
        std::string s;
        for (const FileRecord &r : files.records)
            s += "F " + r.path.toStdString() + "\n";
        for (const auto &e : host.errors)
            s += "E " + std::to_string(e.number) + "|" + e.text.toStdString() + "|" + e.title.toStdString() +
                 "\n";
        return s;
    });
    const std::string root = t.root().toStdString();
    EXPECT_NE(out.find("F " + root + "/open\n"), std::string::npos) << out;
    EXPECT_NE(out.find("F " + root + "/later/g\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("/shut/hidden"), std::string::npos) << out;
    EXPECT_EQ(out.find("F " + root + "/noexec/f"), std::string::npos) << out;
    // Only the folder whose entries cannot be queried is reported, once.
    EXPECT_NE(out.find("E 70|70Отказано в разрешении\r" + root + "/noexec/f|70\n"), std::string::npos) << out;
    // Counted by lines: the random temporary path may hold an "E" of its own.
    EXPECT_EQ(CountLinesStartingWith(out, "E "), 1) << out;
}

TEST(EngineWalk, TooManySubfoldersIsAnOverflowForThatFolderOnly)
{
    MemoryTree t;
    for (const char *d : {"many", "other"}) {
        ASSERT_EQ(mkdir(t.path(d).constData(), 0755), 0);
        QFile f(QFile::decodeName(t.path(d) + '/' + d[0]));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("xy");
    }
    const int fd = open(t.path("many").constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 32768; ++i)
        ASSERT_EQ(mkdirat(fd, QByteArray::number(i).constData(), 0755), 0);
    close(fd);
    RecordingHost host;
    const FileCollection files = Collect(host, t.root());
    EXPECT_EQ(Paths(files), (std::vector<QByteArray>{t.path("other/o")}));
    // "many" ends in its subfolder pass, at the 32,768th subfolder.
    int manyYields = 0, dirs = 0;
    for (const QByteArray &n : vs::test::ListingWithDots(t.path("many"))) {
        ++manyYields;
        if (n != "." && n != ".." && IsDir(t.path("many") + '/' + n) && ++dirs == 32768)
            break;
    }
    EXPECT_EQ(host.yields, 2 * (2 + 2) + manyYields + 2 * (1 + 2));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].number, 6);
    EXPECT_EQ(host.errors[0].text, QStringLiteral("6Переполнение\r")); // no file reached yet
    EXPECT_EQ(host.errors[0].title, QStringLiteral("6"));
}

TEST(EngineWalk, PathsLongerThanPathMaxAreWalkedAndRead)
{
    TempTree t;
    t.file("top", QByteArray("the same bytes"));
    int fd = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    const QByteArray part(200, 'p');
    QByteArray deep = t.root();
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(mkdirat(fd, part.constData(), 0755), 0);
        const int next = openat(fd, part.constData(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        deep += '/' + part;
    }
    const int f = openat(fd, "bottom", O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(write(f, "the same bytes", 14), 14);
    close(f);
    close(fd);
    deep += "/bottom";
    ASSERT_GT(deep.size(), PATH_MAX);

    RecordingHost host;
    const FileCollection files = Collect(host, t.root());
    EXPECT_EQ(Paths(files), (std::vector<QByteArray>{t.path("top"), deep}));
    EXPECT_TRUE(IsFileFound(deep));
    const int root = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    RemoveTree(root, part.constData());
    close(root);
}

TEST(EngineWalk, PatternLimitsTheFilePassOnly)
{
    TempTree t;
    for (const char *f : {"a.txt", "b.bin", "noext", "d/c.txt"})
        t.file(f, 2);
    RecordingHost host;
    FileCollection files;
    files.reset();
    QByteArray path = t.root();
    int32_t e = 0, f = 0;
    FindFilesAPI_all(host, files, path, "*.txt", e, f);
    EXPECT_EQ(Paths(files), (std::vector<QByteArray>{t.path("a.txt"), t.path("d/c.txt")}));
    RecordingHost all;
    EXPECT_EQ(Collect(all, t.root()).fileCount(), 4); // "*.*" takes names without a dot too
}

TEST(EngineWalk, StripNullsAndIsFileFound)
{
    QByteArray s("abc\0def", 7);
    EXPECT_EQ(StripNulls(s), QByteArray("abc"));
    EXPECT_EQ(s, QByteArray("abc"));
    QByteArray plain("abc");
    EXPECT_EQ(StripNulls(plain), QByteArray("abc"));
    QByteArray lead("\0abc", 4);
    EXPECT_EQ(StripNulls(lead), QByteArray());
    EXPECT_EQ(lead, QByteArray());

    TempTree t;
    t.file("f", 1);
    t.symlink("nowhere", "dangling");
    EXPECT_FALSE(IsFileFound("   "));
    EXPECT_FALSE(IsFileFound(""));
    EXPECT_TRUE(IsFileFound(t.root()));
    EXPECT_TRUE(IsFileFound("  " + t.path("f") + "  "));
    EXPECT_TRUE(IsFileFound(t.path("dangling"))); // something is there
    EXPECT_FALSE(IsFileFound(t.path("missing")));
    EXPECT_FALSE(IsFileFound("*.*"));
}
