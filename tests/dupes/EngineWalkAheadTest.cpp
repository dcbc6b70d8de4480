// The collecting walk lists folders on a helper thread ahead of its passes.
// Whatever the helper has done by then, a stop at any yield must leave
// exactly the collection, counters, folder serials and yields of a walk that
// lists each folder just before its passes (the model below), the error
// boxes must come in walk order, and no helper may outlive the walk.
#include "EngineTestHost.h"
#include "dupes/engine/FileWalk.h"
#include "support/StuckMount.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vs;
using vs::test::ListingWithDots;
using vs::test::RecordingHost;
using vs::test::RunUnprivileged;
using vs::test::TempTree;

namespace
{

struct Stat {
    bool ok = false;
    struct stat st {
    };
};

Stat LStat(const QByteArray &p)
{
    Stat s;
    s.ok = lstat(p.constData(), &s.st) == 0;
    return s;
}

// The walk as it behaves one folder at a time: a subfolder pass yielding at
// every entry, a file pass checking the stop before each entry that fits the
// pattern, then the subfolders, unless the file pass was stopped.
struct ModelWalk {
    QByteArray pattern = "*.*";
    int stopAt = 0; // the yield during which the stop is pressed (0: never)
    bool running = true;
    int yields = 0;
    int32_t entries = 0, folders = 0, serial = 0;
    std::vector<std::pair<QByteArray, int32_t>> files;

    void yield()
    {
        if (++yields == stopAt)
            running = false;
    }
    bool fits(const QByteArray &name) const
    {
        return pattern == "*.*" || fnmatch(pattern.constData(), name.constData(), 0) == 0;
    }
    void walk(const QByteArray &folder)
    {
        const int32_t own = serial++;
        const std::vector<QByteArray> names = ListingWithDots(folder);
        std::vector<QByteArray> subfolders;
        for (const QByteArray &n : names) {
            yield();
            if (n != "." && n != ".." && S_ISDIR(LStat(folder + '/' + n).st.st_mode)) {
                subfolders.push_back(n);
                ++folders;
            }
        }
        for (const QByteArray &n : names) {
            if (!fits(n))
                continue;
            if (!running)
                return;
            yield();
            if (n == "." || n == "..")
                continue;
            ++entries;
            const Stat s = LStat(folder + '/' + n);
            if (S_ISREG(s.st.st_mode) && s.st.st_size > 0)
                files.emplace_back(folder + '/' + n, own);
        }
        for (const QByteArray &n : subfolders)
            walk(folder + '/' + n);
    }
};

struct Walked {
    std::vector<std::pair<QByteArray, int32_t>> files;
    int32_t entries = 0, folders = 0;
    int yields = 0;
};

Walked Walk(const QByteArray &root, const QByteArray &pattern, int stopAt)
{
    RecordingHost host;
    host.onYield = [&](int n) {
        if (n == stopAt)
            host.running = false; // "Отмена" pressed during this yield
    };
    FileCollection files;
    files.reset();
    QByteArray path = root;
    Walked w;
    FindFilesAPI_all(host, files, path, pattern, w.entries, w.folders);
    for (const FileRecord &r : files.records)
        w.files.emplace_back(r.path, r.folder);
    w.yields = host.yields;
    EXPECT_TRUE(host.errors.empty());
    return w;
}

void ExpectLikeTheModel(const QByteArray &root, const QByteArray &pattern, int stopAt)
{
    ModelWalk m;
    m.pattern = pattern;
    m.stopAt = stopAt;
    m.walk(root);
    const Walked w = Walk(root, pattern, stopAt);
    EXPECT_EQ(w.files, m.files) << pattern.constData() << " stop at " << stopAt;
    EXPECT_EQ(w.entries, m.entries) << pattern.constData() << " stop at " << stopAt;
    EXPECT_EQ(w.folders, m.folders) << pattern.constData() << " stop at " << stopAt;
    EXPECT_EQ(w.yields, m.yields) << pattern.constData() << " stop at " << stopAt;
}

int TotalYields(const QByteArray &root, const QByteArray &pattern)
{
    ModelWalk m;
    m.pattern = pattern;
    m.walk(root);
    return m.yields;
}

int ThreadCount()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/task")) {
        while (const dirent *e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

struct MemoryTree {
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/vs-ahead-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/vs-ahead-XXXXXX")};
    QByteArray root() const { return QFile::encodeName(dir.path()); }
};

} // namespace

TEST(EngineWalkAhead, AStopAtAnyYieldLeavesWhatTheWalkFolderByFolderLeaves)
{
    TempTree t;
    for (int i = 0; i < 5; ++i)
        t.file("f" + QByteArray::number(i), i + 1);
    t.file("empty", 0);
    t.file("a/one.txt", 3);
    t.file("a/two", 4);
    QByteArray chain = "a/deep";
    for (int level = 0; level < 12; ++level, chain += "/d")
        t.file(chain + "/g" + QByteArray::number(level) + (level % 3 ? ".txt" : ""), 2);
    for (int i = 0; i < 40; ++i) // enough for the attribute queries to go to the pool
        t.file("b/x" + QByteArray::number(i) + (i % 7 ? "" : ".txt"), 5);
    t.file("c/s1/only.txt", 6);
    t.mkdir("c/s2/s3");
    t.file("c/s2/s3/last", 1);

    // Under "*.txt" a stopped walk still goes down folders that hold no name
    // fitting the pattern, since it never reaches a stop check there.
    for (const QByteArray &pattern : {QByteArray("*.*"), QByteArray("*.txt")}) {
        const int total = TotalYields(t.root(), pattern);
        ASSERT_GT(total, 120);
        for (int k = 1; k <= total + 1; ++k)
            ExpectLikeTheModel(t.root(), pattern, k);
    }
}

TEST(EngineWalkAhead, MoreFoldersThanTheHelperMayListAheadAndAStopAmongThem)
{
    // Five thousand folders below one: more than the helper may hold ready,
    // so it waits for the passes; a stop among them must still leave the
    // model's result, and a stop in the first folder must not need the rest.
    MemoryTree t;
    const QByteArray big = t.root() + "/big";
    ASSERT_EQ(mkdir(big.constData(), 0755), 0);
    const int fd = open(big.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 5000; ++i) {
        const QByteArray name = QByteArray::number(i);
        ASSERT_EQ(mkdirat(fd, name.constData(), 0755), 0);
        const int f = openat(fd, (name + "/f").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_EQ(write(f, "xy", 2), 2);
        close(f);
    }
    close(fd);
    const int total = TotalYields(t.root(), "*.*");
    ASSERT_EQ(total, 2 * 3 + 2 * 5002 + 5000 * 2 * 3);
    for (const int k : {2, 3 + 5002 + 1, 3 + 5002 + 5002 + 6 * 1200 + 4, total / 2, total - 1, total})
        ExpectLikeTheModel(t.root(), "*.*", k);
}

TEST(EngineWalkAhead, TheHelperIsJoinedWhenTheWalkReturnsStoppedOrNot)
{
    TempTree t;
    for (int i = 0; i < 40; ++i)
        t.file("top/f" + QByteArray::number(i), 1);
    for (int i = 0; i < 20; ++i)
        t.file("top/sub" + QByteArray::number(i) + "/g", 1);
    Walk(t.root(), "*.*", 0); // starts the attribute pool's threads, which stay
    const int before = ThreadCount();
    for (const int stopAt : {0, 1, 5, 60, 100}) {
        Walk(t.root(), "*.*", stopAt);
        EXPECT_EQ(ThreadCount(), before) << stopAt;
    }
}

TEST(EngineWalk, UnreadableFoldersShowTheirBoxesInWalkOrderAndAreNotGoneInto)
{
    TempTree t;
    for (const char *f : {"n1/f", "n1/sub/h", "ok/g", "ok/n2/k", "ok/n2/l", "z/last"})
        t.file(f, 2);
    chmod(t.root().constData(), 0755);
    for (const char *d : {"n1", "ok/n2"})
        chmod(t.path(d).constData(), geteuid() == 0 ? 0744 : 0444);
    const std::string out = RunUnprivileged([&] {
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray path = t.root();
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        std::string s;
        for (const FileRecord &r : files.records)
            s += "F " + r.path.toStdString() + "\n";
        for (const auto &e : host.errors)
            s += "E " + e.text.toStdString() + "\n";
        return s;
    });
    // Each box names the folder's first file in listing order (the file
    // pass reaches it first), and the boxes come in the order of the walk.
    auto firstFile = [&](const char *folder) {
        for (const QByteArray &n : vs::test::ListingOrder(t.path(folder)))
            if (n != "sub")
                return (t.path(folder) + '/' + n).toStdString();
        return std::string();
    };
    const std::string root = t.root().toStdString();
    const std::string n1 = "E 70Отказано в разрешении\r" + firstFile("n1") + "\n";
    const std::string n2 = "E 70Отказано в разрешении\r" + firstFile("ok/n2") + "\n";
    std::vector<QByteArray> top = vs::test::ListingOrder(t.root());
    const bool n1First = std::find(top.begin(), top.end(), "n1") < std::find(top.begin(), top.end(), "ok");
    std::string files, errors;
    for (size_t at = 0; at < out.size();) {
        const size_t end = out.find('\n', at);
        (out[at] == 'F' ? files : errors) += out.substr(at, end + 1 - at);
        at = end + 1;
    }
    EXPECT_EQ(errors, n1First ? n1 + n2 : n2 + n1) << out;
    EXPECT_EQ(files.find("/n1/"), std::string::npos) << out;
    EXPECT_EQ(files.find("/n2/"), std::string::npos) << out;
    EXPECT_NE(files.find("F " + root + "/ok/g\n"), std::string::npos) << out;
    EXPECT_NE(files.find("F " + root + "/z/last\n"), std::string::npos) << out;
}

TEST(MountThatHangs, TheCollectingWalkGoesPastAStuckMountWithoutTouchingIt)
{
    TempTree t;
    t.file("top/a/one", 100);
    t.file("top/x/y/two", 7);
    t.file("top/x/three", 20);
    vs::test::StuckMount mount(t.path("top/x/stuck"));
    if (!mount.available())
        GTEST_SKIP() << mount.why().toStdString();
    // The walk runs on a thread of its own here only so that a hang fails
    // the test instead of stopping it.
    std::packaged_task<std::vector<QByteArray>()> task([&] {
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray path = t.path("top");
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        std::vector<QByteArray> out;
        for (const FileRecord &r : files.records)
            out.push_back(r.path);
        out.push_back("entries " + QByteArray::number(entries) + " folders " + QByteArray::number(folders));
        return out;
    });
    std::future<std::vector<QByteArray>> result = task.get_future();
    std::thread walker(std::move(task));
    const bool answered = result.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    mount.resume();
    walker.join();
    ASSERT_TRUE(answered);
    std::vector<QByteArray> expected{t.path("top/x/three"), t.path("top/x/y/two")};
    const std::vector<QByteArray> top = vs::test::ListingOrder(t.path("top"));
    if (top.front() == "a")
        expected.insert(expected.begin(), t.path("top/a/one"));
    else
        expected.push_back(t.path("top/a/one"));
    expected.push_back("entries 7 folders 3"); // the mount point is an entry, never a folder
    EXPECT_EQ(result.get(), expected);
}
