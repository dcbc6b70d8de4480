// The Linux file-system service on real temporary trees.
#include "fs/LinuxFileSystem.h"
#include "fs/Paths.h"
#include "support/ChildProcess.h"
#include "support/Fakes.h"
#include "support/TempTree.h"
#include "util/Errors.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using vs::ByteCount;
using vs::LinuxFileSystem;
using vs::VsError;
using vs::test::TempTree;

namespace
{

std::vector<QByteArray> List(vs::FileSystem &fs, const QByteArray &folder)
{
    std::vector<QByteArray> names;
    auto listing = fs.subFolders(folder);
    QByteArray name;
    while (listing->next(name))
        names.push_back(name);
    return names;
}

int FailureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const VsError &e) {
        return e.number;
    }
    return 0;
}

int64_t Size(vs::FileSystem &fs, const QByteArray &folder)
{
    return fs.folderSize(folder).bytes();
}

// Runs `body` in a child process and returns what it wrote.
std::string InChild(const std::function<std::string()> &body)
{
    return vs::test::RunInChild(body);
}

// Measures on a plain thread, so a forked child never runs the window's
// event loop.
std::string MeasureOffThread(const QByteArray &folder)
{
    std::string out;
    std::thread t([&] {
        LinuxFileSystem fs;
        try {
            out = std::to_string(fs.folderSize(folder).bytes());
        } catch (const VsError &e) {
            out = "error " + std::to_string(e.number);
        }
    });
    t.join();
    return out;
}

std::string ListOffThread(const QByteArray &folder)
{
    std::string out;
    std::thread t([&] {
        LinuxFileSystem fs;
        try {
            for (const QByteArray &n : List(fs, folder))
                out += n.toStdString() + ";";
        } catch (const VsError &e) {
            out = "error " + std::to_string(e.number);
        }
    });
    t.join();
    return out;
}

TEST(LinuxFileSystem, TotalsRegularFilesAtEveryDepthAndNothingElse)
{
    TempTree t;
    t.file("a/one", 100);
    t.file("a/b/two", 250);
    t.file("a/b/c/three", 5);
    t.file("a/b/c/empty", 0);
    t.mkdir("a/b/c/d/e/f");
    t.mkdir("hollow/x/y");
    ASSERT_EQ(::mkfifo(t.path("a/b/fifo").constData(), 0644), 0);

    LinuxFileSystem fs;
    EXPECT_EQ(Size(fs, t.path("a")), 355);
    EXPECT_EQ(Size(fs, t.path("a/b")), 255);
    EXPECT_EQ(Size(fs, t.path("a/b/c/d")), 0);
    EXPECT_EQ(Size(fs, t.path("hollow")), 0);
    EXPECT_EQ(Size(fs, t.root() + "/a/"), 355);
}

TEST(LinuxFileSystem, HardLinkedFileCountsOnce)
{
    TempTree t;
    t.file("a/x", 1000);
    t.file("a/plain", 3);
    t.mkdir("a/b/c");
    t.hardlink("a/x", "a/b/y");
    t.hardlink("a/x", "a/b/c/z");
    t.hardlink("a/x", "a/x2");

    LinuxFileSystem fs;
    EXPECT_EQ(Size(fs, t.path("a")), 1003);
    // Every call counts afresh.
    EXPECT_EQ(Size(fs, t.path("a/b")), 1000);
    EXPECT_EQ(Size(fs, t.path("a/b")), 1000);
    EXPECT_EQ(Size(fs, t.path("a")), 1003);
}

TEST(LinuxFileSystem, SymbolicLinksAreNeitherFollowedNorListed)
{
    TempTree t;
    t.file("outside/big", 5000);
    t.file("outside/dir/more", 7000);
    t.file("a/f", 10);
    t.mkdir("a/real");
    t.symlink(t.path("outside/big"), "a/tofile");
    t.symlink(t.path("outside/dir"), "a/todir");
    t.symlink("..", "a/real/up");  // a loop
    t.symlink("loop2", "a/loop1"); // a cycle of links
    t.symlink("loop1", "a/loop2");
    t.symlink("nowhere", "a/dangling");

    LinuxFileSystem fs;
    EXPECT_EQ(Size(fs, t.path("a")), 10);
    EXPECT_EQ(List(fs, t.path("a")), std::vector<QByteArray>{"real"});
    EXPECT_TRUE(List(fs, t.path("a/real")).empty());
}

TEST(LinuxFileSystem, ListsFoldersOnlyAsBareBytesInTheSameOrderTwice)
{
    TempTree t;
    const QByteArray odd("caf\xe9-\xff\xfe"); // not valid UTF-8
    std::set<QByteArray> made{odd, "Zeta", "alpha", ".hidden", "пробел в имени"};
    for (const QByteArray &n : made)
        t.mkdir("top/" + n);
    for (int i = 0; i < 40; ++i) {
        t.mkdir("top/n" + QByteArray::number(i));
        made.insert("n" + QByteArray::number(i));
    }
    t.file("top/file", 1);
    t.file("top/" + odd + "/inside", 42);
    t.symlink("alpha", "top/link-to-alpha");

    LinuxFileSystem fs;
    const auto first = List(fs, t.path("top"));
    const auto second = List(fs, t.path("top"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::set<QByteArray>(first.begin(), first.end()), made);
    EXPECT_EQ(first.size(), made.size());
    EXPECT_EQ(Size(fs, vs::JoinPath(t.path("top"), odd)), 42);

    // The temporary folder's own removal goes through decoded names and
    // cannot remove this one.
    ::unlink(vs::JoinPath(t.path("top"), odd + "/inside").constData());
    ::rmdir(vs::JoinPath(t.path("top"), odd).constData());
}

// Far more entries than one read of the folder returns: nothing is lost or
// repeated where one read ends and the next begins.
TEST(LinuxFileSystem, LongListingSpansManyReads)
{
    TempTree t;
    std::set<QByteArray> made;
    for (int i = 0; i < 2500; ++i) {
        const QByteArray n = "folder-with-a-longish-name-" + QByteArray::number(i);
        ASSERT_EQ(::mkdir(t.path(n).constData(), 0755), 0);
        made.insert(n);
        if (i % 3 == 0)
            t.file("file-" + QByteArray::number(i), 1);
    }
    LinuxFileSystem fs;
    const auto names = List(fs, t.root());
    EXPECT_EQ(names.size(), made.size());
    EXPECT_EQ(std::set<QByteArray>(names.begin(), names.end()), made);
    EXPECT_EQ(List(fs, t.root()), names);
    EXPECT_EQ(Size(fs, t.root()), 834);
}

TEST(LinuxFileSystem, FailureNumbersForFoldersAndFiles)
{
    TempTree t;
    t.file("f", 12);
    t.mkdir("d");
    LinuxFileSystem fs;

    EXPECT_EQ(FailureOf([&] { fs.subFolders(t.path("missing")); }), 76);
    EXPECT_EQ(FailureOf([&] { fs.folderSize(t.path("missing")); }), 76);
    EXPECT_EQ(FailureOf([&] { fs.folderSize(t.path("missing/deeper")); }), 76);
    EXPECT_EQ(FailureOf([&] { fs.subFolders(t.path("f")); }), 76);
    EXPECT_EQ(FailureOf([&] { fs.folderSize(t.path("f")); }), 76);
    EXPECT_EQ(FailureOf([&] { fs.folderSize(""); }), 76);

    EXPECT_EQ(fs.fileSize(t.path("f")).bytes(), 12);
    EXPECT_EQ(FailureOf([&] { fs.fileSize(t.path("missing")); }), 53);
    EXPECT_EQ(FailureOf([&] { fs.fileSize(t.path("d")); }), 53);
    EXPECT_EQ(FailureOf([&] { fs.filePath(t.path("missing")); }), 53);
    EXPECT_EQ(FailureOf([&] { fs.filePath(t.path("d")); }), 53);

    try {
        fs.fileSize(t.path("missing"));
    } catch (const VsError &e) {
        EXPECT_EQ(e.description, QString::fromUtf8("Файл не найден"));
    }
}

TEST(LinuxFileSystem, FilePathIsAbsoluteAndTidy)
{
    TempTree t;
    t.file("d/e/f.txt", 1);
    LinuxFileSystem fs;
    EXPECT_EQ(fs.filePath(t.path("d/e/f.txt")), t.path("d/e/f.txt"));
    EXPECT_EQ(fs.filePath(t.root() + "//d/./e/../e/f.txt"), t.path("d/e/f.txt"));

    const QByteArray before = QDir::currentPath().toLocal8Bit();
    ASSERT_EQ(::chdir(t.path("d").constData()), 0);
    const QByteArray relative = fs.filePath("e/f.txt");
    const QByteArray dotted = fs.filePath("./e/../e/f.txt");
    ASSERT_EQ(::chdir(before.constData()), 0);
    // The temporary folder may sit behind a symbolic link; the working
    // directory is spelled physically.
    char real[PATH_MAX];
    ASSERT_NE(::realpath(t.path("d/e/f.txt").constData(), real), nullptr);
    EXPECT_EQ(relative, QByteArray(real));
    EXPECT_EQ(dotted, QByteArray(real));
}

// Enough folders that the pool takes over from the calling thread, with
// links between them; every thread count and the window's waiting give the
// same total.
TEST(LinuxFileSystem, ManyFoldersGiveTheSameTotalOnAnyNumberOfThreads)
{
    TempTree t;
    int64_t expected = 0;
    for (int i = 0; i < 30; ++i) {
        for (int j = 0; j < 12; ++j) {
            const QByteArray dir = "w/p" + QByteArray::number(i) + "/q" + QByteArray::number(j);
            const int size = 1 + i * 37 + j;
            t.file(dir + "/f", size);
            expected += size;
            if (j > 0)
                t.hardlink("w/p" + QByteArray::number(i) + "/q0/f", dir + "/link");
        }
    }
    LinuxFileSystem one(1), two(2), many(7), cores;
    EXPECT_EQ(Size(one, t.path("w")), expected);
    EXPECT_EQ(Size(two, t.path("w")), expected);
    EXPECT_EQ(Size(many, t.path("w")), expected);
    EXPECT_EQ(Size(cores, t.path("w")), expected); // waits as the window does
    EXPECT_EQ(MeasureOffThread(t.path("w")), std::to_string(expected));
    EXPECT_EQ(Size(vs::DefaultFileSystem(), t.path("w")), expected);
}

// Folders nested far past PATH_MAX, made and removed relative to their
// parents since no full path to them can be used.
TEST(LinuxFileSystem, MeasuresBeyondPathMax)
{
    TempTree t;
    t.mkdir("deep");
    const std::string part(200, 'n');
    const int levels = PATH_MAX / 200 + 10;
    std::vector<int> fds;
    fds.push_back(::open(t.path("deep").constData(), O_RDONLY | O_DIRECTORY));
    ASSERT_GE(fds.back(), 0);
    int64_t expected = 0;
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(::mkdirat(fds.back(), part.c_str(), 0755), 0);
        const int fd = ::openat(fds.back(), part.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        fds.push_back(fd);
        if (i % 7 == 0 || i == levels - 1) {
            const int f = ::openat(fd, "f", O_CREAT | O_WRONLY, 0644);
            ASSERT_GE(f, 0);
            ASSERT_EQ(::ftruncate(f, 77 + i), 0);
            ::close(f);
            expected += 77 + i;
        }
    }
    LinuxFileSystem fs;
    const int64_t got = Size(fs, t.path("deep"));
    const std::string offThread = MeasureOffThread(t.path("deep"));

    for (size_t i = fds.size() - 1; i > 0; --i) {
        ::unlinkat(fds[i], "f", 0);
        ::close(fds[i]);
        ::unlinkat(fds[i - 1], part.c_str(), AT_REMOVEDIR);
    }
    ::close(fds[0]);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(offThread, std::to_string(expected));
}

// As root nothing is denied, so the walk runs in a child under the
// unprivileged "nobody" ids.
TEST(LinuxFileSystem, UnreadableFoldersAddNothingAndFailWith70AtTheStart)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to an unprivileged user id";
    TempTree t;
    t.file("a/g", 5);
    t.file("a/open/f", 30);
    t.file("a/open/locked/secret", 1000);
    t.file("a/open/locked/sub/more", 2000);
    t.file("a/closed/hidden", 4000);
    t.file("a/noexec/x", 8000);
    ASSERT_EQ(::chmod(t.root().constData(), 0755), 0);
    ASSERT_EQ(::chmod(t.path("a/open/locked").constData(), 0), 0);
    ASSERT_EQ(::chmod(t.path("a/closed").constData(), 0), 0);
    ASSERT_EQ(::chmod(t.path("a/noexec").constData(), 0644), 0);
    // Every folder above the tree must be passable for that user.
    for (QByteArray p = t.root(); p.lastIndexOf('/') > 0;) {
        p.truncate(p.lastIndexOf('/'));
        struct stat st;
        if (::stat(p.constData(), &st) == 0 && !(st.st_mode & S_IXOTH))
            GTEST_SKIP() << "temporary folder not reachable for other users";
    }

    const std::string out = InChild([&] {
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            return std::string("cannot drop privileges");
        return MeasureOffThread(t.path("a")) + "|" + MeasureOffThread(t.path("a/closed")) + "|" +
               MeasureOffThread(t.path("a/open/locked")) + "|" + ListOffThread(t.path("a/closed")) + "|" +
               MeasureOffThread(t.path("a/noexec"));
    });
    // a: g and open/f only; the locked folder's files and the unlistable
    // folder's file add nothing. A folder that can be listed but not entered
    // totals 0.
    EXPECT_EQ(out, "35|error 70|error 70|error 70|0");
}

// A file system mounted inside the folder is not part of its total; the
// mount is made in a private mount namespace of a child process.
TEST(LinuxFileSystem, StaysOnTheFoldersOwnFileSystem)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount";
    TempTree t;
    t.file("a/f", 11);
    t.mkdir("a/mnt");

    const std::string out = InChild([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", t.path("a/mnt").constData(), "tmpfs", 0, "size=1m") != 0)
            return "skip";
        const int fd = ::open(t.path("a/mnt/inner").constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0 || ::ftruncate(fd, 500) != 0)
            return "cannot write";
        ::close(fd);
        return MeasureOffThread(t.path("a")) + "|" + MeasureOffThread(t.path("a/mnt")) + "|" +
               ListOffThread(t.path("a"));
    });
    if (out == "skip")
        GTEST_SKIP() << "mounting is not permitted here";
    EXPECT_EQ(out, "11|500|mnt;");
}

TEST(LinuxFileSystem, KernelPseudoFileSystemsCountNothing)
{
    EXPECT_TRUE(vs::IsPseudoFileSystem(0x9fa0));      // proc
    EXPECT_TRUE(vs::IsPseudoFileSystem(0x62656572));  // sysfs
    EXPECT_TRUE(vs::IsPseudoFileSystem(0x63677270));  // cgroup2
    EXPECT_FALSE(vs::IsPseudoFileSystem(0xef53));     // ext2/3/4
    EXPECT_FALSE(vs::IsPseudoFileSystem(0x01021994)); // tmpfs holds real files
    struct stat st;
    if (::stat("/proc/self", &st) != 0)
        GTEST_SKIP() << "no /proc";
    LinuxFileSystem fs;
    EXPECT_EQ(Size(fs, "/proc/self"), 0);
    EXPECT_EQ(Size(fs, "/proc"), 0);
}

} // namespace

// A stop asked before a folder is measured: the folder is still opened (its
// failures are the same), but nothing below it is walked.
TEST(LinuxFileSystem, AStopAskedBeforeTheMeasurementAbandonsItOnTheInterfaceThread)
{
    TempTree t;
    t.file("top/one", 100);
    t.file("top/a/b/two", 20);
    LinuxFileSystem fs(2);
    vs::test::ScriptedYield yield;
    bool stop = false;
    {
        const vs::WaitAsAtYield wait(yield, [&] { return stop; });
        EXPECT_EQ(Size(fs, t.path("top")), 120); // not stopped: the whole total
        stop = true;
        EXPECT_EQ(Size(fs, t.path("top")), 0);
        const int missing = FailureOf([&] { fs.folderSize(t.path("none")); });
        EXPECT_NE(missing, 0);
        stop = false;
        EXPECT_EQ(Size(fs, t.path("top/a")), 20);
        stop = true;
        EXPECT_EQ(FailureOf([&] { fs.folderSize(t.path("none")); }), missing);
    }
    EXPECT_EQ(Size(fs, t.path("top")), 120); // the scan has ended: no wait in force
    EXPECT_FALSE(vs::InterfaceWaitAbandoned());
}
