// Folder totals in both measures on real trees: the files' lengths, and the
// space on disk (st_blocks x 512) that the test adds up itself with lstat.
#include "fs/FolderSizer.h"
#include "fs/LinuxFileSystem.h"
#include "support/ChildProcess.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using vs::FolderSizer;
using vs::LinuxFileSystem;
using vs::SizeMeasure;
using vs::test::TempTree;

namespace
{

struct Expected {
    uint64_t apparent = 0; // st_size of the regular files
    uint64_t onDisk = 0;   // st_blocks x 512 of everything, the folder included
};

// The test's own count: every entry beneath `path` by lstat, each inode once.
void AddUp(const QByteArray &path, std::set<std::pair<dev_t, ino_t>> &seen, Expected &e)
{
    struct stat st;
    ASSERT_EQ(::lstat(path.constData(), &st), 0) << path.constData();
    if (!seen.insert({st.st_dev, st.st_ino}).second)
        return;
    e.onDisk += uint64_t(st.st_blocks) * 512;
    if (S_ISREG(st.st_mode))
        e.apparent += uint64_t(st.st_size);
    if (!S_ISDIR(st.st_mode))
        return;
    DIR *d = ::opendir(path.constData());
    ASSERT_NE(d, nullptr);
    while (const dirent *entry = ::readdir(d)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            AddUp(path + '/' + name, seen, e);
    }
    ::closedir(d);
}

Expected AddUp(const QByteArray &path)
{
    std::set<std::pair<dev_t, ino_t>> seen;
    Expected e;
    AddUp(path, seen, e);
    return e;
}

uint64_t Measure(const QByteArray &folder, SizeMeasure measure, unsigned threads)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    FolderSizer sizer(threads);
    sizer.setMeasure(measure);
    return sizer.measure(fd);
}

// The same as an ordinary user: when the test runs as root (who reads every
// folder), in a child process that has given up root first.
uint64_t MeasureAsUser(const QByteArray &folder, SizeMeasure measure)
{
    if (::geteuid() != 0)
        return Measure(folder, measure, 1);
    const std::string out = vs::test::RunInChild(
        [&]() -> std::string {
            const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                return "open failed";
            FolderSizer sizer(1);
            sizer.setMeasure(measure);
            return std::to_string(sizer.measure(fd));
        },
        vs::test::BecomeUnprivileged);
    char *end = nullptr;
    const uint64_t total = std::strtoull(out.c_str(), &end, 10);
    return !out.empty() && end && *end == 0 ? total : UINT64_MAX;
}

uint64_t Blocks(const QByteArray &path)
{
    struct stat st;
    EXPECT_EQ(::lstat(path.constData(), &st), 0);
    return uint64_t(st.st_blocks) * 512;
}

// A sparse file, a hard link pair split over two folders, many small files,
// a long symbolic link and an empty folder.
struct Tree : ::testing::Test {
    Tree()
    {
        t.mkdir("sparse");
        const QByteArray image = t.path("sparse/image");
        const int fd = ::open(image.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, kSparseLength), 0);
        EXPECT_EQ(::pwrite(fd, "data", 4, 1 << 20), 4);
        ::close(fd);

        t.file("pair/one/big", 100000);
        t.mkdir("pair/two");
        t.hardlink("pair/one/big", "pair/two/big");

        for (int i = 0; i < 40; ++i)
            t.file("small/f" + QByteArray::number(i), 10 + i);
        t.symlink(QByteArray(300, 'n'), "small/long-link");
        t.symlink("f0", "small/short-link");
        t.mkdir("small/empty");
    }
    static constexpr off_t kSparseLength = off_t(40) << 20;
    TempTree t;
};

} // namespace

TEST_F(Tree, BothMeasuresMatchWhatStatSaysOnAnyNumberOfThreads)
{
    for (const QByteArray rel :
         {"", "/sparse", "/pair", "/pair/one", "/pair/two", "/small", "/small/empty"}) {
        const QByteArray folder = t.root() + rel;
        const Expected e = AddUp(folder);
        for (unsigned threads : {1u, 4u}) {
            SCOPED_TRACE(folder.toStdString() + " threads " + std::to_string(threads));
            EXPECT_EQ(Measure(folder, SizeMeasure::Apparent, threads), e.apparent);
            EXPECT_EQ(Measure(folder, SizeMeasure::OnDisk, threads), e.onDisk);
        }
    }
}

TEST_F(Tree, TheDefaultIsTheFilesLengths)
{
    const int fd = ::open(t.root().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(FolderSizer(2).measure(fd), AddUp(t.root()).apparent);
}

TEST_F(Tree, ASparseFileCountsWhatItHoldsAndALinkPairCountsOnce)
{
    // The length, whatever the file system.
    EXPECT_EQ(Measure(t.path("sparse"), SizeMeasure::Apparent, 2), uint64_t(kSparseLength));
    // On disk: the folder and the blocks the file holds, far below its length
    // wherever holes exist.
    const uint64_t image = Blocks(t.path("sparse/image"));
    EXPECT_EQ(Measure(t.path("sparse"), SizeMeasure::OnDisk, 2), Blocks(t.path("sparse")) + image);
    if (image < uint64_t(kSparseLength)) {
        EXPECT_LT(Measure(t.path("sparse"), SizeMeasure::OnDisk, 2), uint64_t(1) << 20);
    }

    // Each folder of the pair holds the file; together they hold it once.
    const uint64_t big = Blocks(t.path("pair/one/big"));
    EXPECT_EQ(Measure(t.path("pair/one"), SizeMeasure::OnDisk, 1), Blocks(t.path("pair/one")) + big);
    EXPECT_EQ(Measure(t.path("pair/two"), SizeMeasure::OnDisk, 1), Blocks(t.path("pair/two")) + big);
    EXPECT_EQ(Measure(t.path("pair"), SizeMeasure::OnDisk, 1),
              Blocks(t.path("pair")) + Blocks(t.path("pair/one")) + Blocks(t.path("pair/two")) + big);
    EXPECT_EQ(Measure(t.path("pair"), SizeMeasure::Apparent, 1), 100000u);

    // Small files: at least a block each on disk, their lengths otherwise.
    uint64_t lengths = 0;
    for (int i = 0; i < 40; ++i)
        lengths += uint64_t(10 + i);
    EXPECT_EQ(Measure(t.path("small"), SizeMeasure::Apparent, 2), lengths);
}

TEST_F(Tree, TheServiceGivesTheMeasureAskedFor)
{
    LinuxFileSystem fs(2);
    const Expected e = AddUp(t.root());
    EXPECT_EQ(uint64_t(fs.folderSize(t.root()).bytes()), e.apparent);
    EXPECT_EQ(uint64_t(fs.folderDiskUsage(t.root()).bytes()), e.onDisk);
    EXPECT_EQ(uint64_t(fs.folderTotal(t.root(), SizeMeasure::Apparent).bytes()), e.apparent);
    EXPECT_EQ(uint64_t(fs.folderTotal(t.root(), SizeMeasure::OnDisk).bytes()), e.onDisk);
}

// What a disk usage tool says, folder by folder (each run counts a hard link
// once, as one measurement does).
TEST_F(Tree, OnDiskEqualsDuPerFolder)
{
    const QString du = QStandardPaths::findExecutable(QStringLiteral("du"));
    if (du.isEmpty())
        GTEST_SKIP() << "du is not installed";
    LinuxFileSystem fs(2);
    for (const QByteArray rel : {"", "/sparse", "/pair", "/pair/two", "/small"}) {
        const QByteArray folder = t.root() + rel;
        QProcess p;
        p.start(du, {QStringLiteral("-s"), QStringLiteral("-B1"), QStringLiteral("-x"),
                     QString::fromUtf8(folder)});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QByteArray out = p.readAllStandardOutput();
        const uint64_t expected = out.left(out.indexOf('\t')).toULongLong();
        EXPECT_EQ(uint64_t(fs.folderDiskUsage(folder).bytes()), expected) << folder.constData();
    }
}

// A folder that cannot be read still takes its own blocks, as du counts it;
// its contents add nothing in either measure.
TEST_F(Tree, AnUnreadableFolderCountsItsOwnBlocksOnly)
{
    t.file("closed/inside", 5000);
    const Expected all = AddUp(t.root());
    const uint64_t inside = Blocks(t.path("closed/inside"));
    ASSERT_EQ(::chmod(t.root().constData(), 0755), 0);
    ASSERT_EQ(::chmod(t.path("closed").constData(), 0), 0);
    EXPECT_EQ(MeasureAsUser(t.root(), SizeMeasure::OnDisk), all.onDisk - inside);
    EXPECT_EQ(MeasureAsUser(t.root(), SizeMeasure::Apparent), all.apparent - 5000);
    ::chmod(t.path("closed").constData(), 0755);
}
