// Depth and descriptors: the trail of open folders, walks of trees far deeper
// than the descriptor limit, candidates read deep down, the empty path, and
// the error box when no descriptor is left.
#include "EngineTestHost.h"
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/engine/FileChecksum.h"
#include "dupes/engine/FileWalk.h"
#include "dupes/engine/FolderTrail.h"
#include "dupes/engine/OneFileSearch.h"
#include "support/HostileTree.h"
#include "support/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vs;
using vs::test::ChainShape;
using vs::test::MakeDeepChain;
using vs::test::RecordingHost;
using vs::test::RunInChild;
using vs::test::TempTree;

namespace
{

struct Identity {
    dev_t dev;
    ino_t ino;
};

Identity IdentityOf(const QByteArray &path)
{
    struct stat st {
    };
    stat(path.constData(), &st);
    return {st.st_dev, st.st_ino};
}

// Soft and hard limit of descriptors both at `limit` (the walk cannot raise it).
bool LimitDescriptors(rlim_t limit)
{
    const rlimit r{limit, limit};
    return setrlimit(RLIMIT_NOFILE, &r) == 0;
}

// Takes every free descriptor but `leave`.
void UseUpDescriptors(int leave)
{
    std::vector<int> taken;
    for (int fd; (fd = dup(0)) >= 0;)
        taken.push_back(fd);
    for (int i = 0; i < leave && !taken.empty(); ++i) {
        close(taken.back());
        taken.pop_back();
    }
}

void WriteAt(int dirFd, const char *name, const QByteArray &bytes)
{
    const int fd = openat(dirFd, name, O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    close(fd);
}

// True when "s0" comes before "d" in the folder's listing (or there is no "d").
bool SideFirst(int dirFd)
{
    DIR *d = fdopendir(dup(dirFd));
    bool side = false, deeper = false;
    while (dirent *e = readdir(d)) {
        if (!strcmp(e->d_name, "d"))
            deeper = true;
        else if (!strcmp(e->d_name, "s0") && !deeper)
            side = true;
    }
    closedir(d);
    return side || !deeper;
}

std::string Describe(const std::vector<DupeRow> &rows)
{
    std::string s;
    for (const DupeRow &r : rows)
        s += std::to_string(r.checksum) + " " + std::to_string(r.size.bytes()) + " " +
             std::to_string(r.colour) + " " + r.toolTip.toStdString() + " " + r.path.toStdString() + "\n";
    return s;
}

} // namespace

TEST(FolderTrail, KeepsWithinItsBudgetAndComesBackUpAsTheSameFolders)
{
    TempTree t;
    MakeDeepChain(t, "c", ChainShape{50, 0, 0, "d"});
    FolderTrail trail(4);
    ASSERT_TRUE(trail.start(open(t.path("c").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    QByteArray path = t.path("c");
    std::vector<Identity> down{IdentityOf(path)};
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(trail.enter("d", O_RDONLY | O_NOFOLLOW));
        path += "/d";
        down.push_back(IdentityOf(path));
        EXPECT_LE(trail.openCount(), 4u);
        EXPECT_EQ(trail.ino(), down.back().ino);
    }
    EXPECT_FALSE(trail.enter("d", O_RDONLY)); // the bottom has no "d"
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(trail.depth(), 51u);
    for (int i = 49; i >= 0; --i) {
        ASSERT_TRUE(trail.leave()) << i;
        ASSERT_GE(trail.fd(), 0);
        EXPECT_EQ(trail.ino(), down[size_t(i)].ino) << i;
        EXPECT_EQ(trail.dev(), down[size_t(i)].dev) << i;
        EXPECT_LE(trail.openCount(), 4u);
    }
    EXPECT_TRUE(trail.leave());
    EXPECT_EQ(trail.depth(), 0u);
    EXPECT_EQ(trail.openCount(), 0u);
}

TEST(FolderTrail, AFolderMovedAwayIsFoundByNamesAndAReplacedOneIsNot)
{
    TempTree t;
    t.mkdir("a/b/c");
    t.mkdir("x/y/z");
    FolderTrail trail(2);
    ASSERT_TRUE(trail.start(open(t.root().constData(), O_RDONLY | O_DIRECTORY)));
    for (const char *n : {"a", "b", "c"})
        ASSERT_TRUE(trail.enter(n, O_RDONLY));
    // c's ".." is now the root, not b: b is reopened by its names.
    ASSERT_EQ(rename(t.path("a/b/c").constData(), t.path("c").constData()), 0);
    ASSERT_TRUE(trail.leave());
    EXPECT_EQ(trail.ino(), IdentityOf(t.path("a/b")).ino);

    trail.clear();
    ASSERT_TRUE(trail.start(open(t.root().constData(), O_RDONLY | O_DIRECTORY)));
    for (const char *n : {"x", "y", "z"})
        ASSERT_TRUE(trail.enter(n, O_RDONLY));
    ASSERT_EQ(rename(t.path("x/y/z").constData(), t.path("z").constData()), 0);
    // Another folder under the old name (the old one kept, so that its inode
    // number cannot be handed out again).
    ASSERT_EQ(rename(t.path("x/y").constData(), t.path("x/old").constData()), 0);
    t.mkdir("x/y");
    EXPECT_FALSE(trail.leave());
    EXPECT_EQ(trail.fd(), -1);
    EXPECT_EQ(trail.reopenError(), ENOENT);
    EXPECT_FALSE(trail.enter("anything", O_RDONLY));
    ASSERT_TRUE(trail.leave()); // x itself is still x
    EXPECT_EQ(trail.ino(), IdentityOf(t.path("x")).ino);
}

TEST(EngineDeep, TwentyThousandLevelsAreWalkedWholeUnderADescriptorLimitOf1024)
{
    TempTree t;
    constexpr int kLevels = 20000;
    MakeDeepChain(t, "deep", ChainShape{kLevels, 1, 0, "d"});
    // Files in the chain and in the side folder of a few levels; the side
    // folder's file comes after the whole deeper chain when the listing
    // delivers "d" before "s0".
    std::vector<QByteArray> front, back;
    int fd = open(t.path("deep").constData(), O_RDONLY | O_DIRECTORY);
    QByteArray path = t.path("deep");
    for (int level = 1; level <= kLevels; ++level) {
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ASSERT_GE(next, 0);
        close(fd);
        fd = next;
        path += "/d";
        if (level == 1 || level % 5000 == 0) {
            WriteAt(fd, "f", "1");
            const int side = openat(fd, "s0", O_RDONLY | O_DIRECTORY);
            WriteAt(side, "g", "22");
            close(side);
            front.push_back(path + "/f");
            (SideFirst(fd) ? front : back).push_back(path + "/s0/g");
        }
    }
    close(fd);
    std::vector<QByteArray> expected = front;
    expected.insert(expected.end(), back.rbegin(), back.rend());
    ASSERT_EQ(expected.size(), 10u);

    const std::string out = RunInChild([&] {
        if (!LimitDescriptors(1024))
            return std::string("no limit");
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray root = t.path("deep");
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, root, "*.*", entries, folders);
        std::string s = "entries " + std::to_string(entries) + " folders " + std::to_string(folders) +
                        " errors " + std::to_string(host.errors.size()) + "\n";
        for (size_t i = 0; i < files.records.size(); ++i)
            s += files.records[i].path == (i < expected.size() ? expected[i] : QByteArray()) ? "same\n"
                                                                                             : "other\n";
        return s;
    });
    std::string same;
    for (int i = 0; i < 10; ++i)
        same += "same\n";
    EXPECT_EQ(out, "entries 40010 folders 40000 errors 0\n" + same);
}

TEST(EngineDeep, CandidatesFiveThousandLevelsDownAreReadAndMatched)
{
    TempTree t;
    MakeDeepChain(t, "deep", ChainShape{5200, 0, 0, "d"});
    const QByteArray same("the same twelve"), other("other fifteen..");
    t.file("deep/top", same);
    QByteArray path = t.path("deep");
    QByteArray a, b, c;
    int fd = open(path.constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 1; level <= 5200; ++level) {
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        path += "/d";
        if (level == 5000) {
            WriteAt(fd, "a", same);
            a = path + "/a";
        } else if (level == 5100) {
            WriteAt(fd, "b", same);
            WriteAt(fd, "c", other);
            b = path + "/b";
            c = path + "/c";
        }
    }
    close(fd);
    ASSERT_GT(a.size(), 10000);
    const int32_t sum = ChecksumOfBytes(same.constData(), size_t(same.size()));
    const ByteCount size = ByteCount::fromBytes(uint64_t(same.size()));
    const std::string expected =
        Describe({DupeRow{t.path("deep/top"), size, sum, kDupeCyan, {}, {}},
                  DupeRow{a, size, sum, kDupeCyan, {}, {}}, DupeRow{b, size, sum, kDupeCyan, {}, {}}});
    const std::string out = RunInChild([&] {
        if (!LimitDescriptors(1024))
            return std::string("no limit");
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray root = t.path("deep");
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, root, "*.*", entries, folders);
        SortBySize(files);
        std::string s = Describe(ListDuplicateGroups(files, &host));

        RecordingHost matching;
        matching.chosen = TakeChosenFile(t.path("deep/top"));
        root = t.path("deep");
        entries = folders = 0;
        FindFilesAPI(matching, root, "*.*", entries, folders);
        s += "--\n" + Describe(matching.rows);
        return s + "errors " + std::to_string(host.errors.size() + matching.errors.size());
    });
    const std::string self = std::to_string(sum) + " 15 " + std::to_string(kDupeYellow) + " " +
                             SameFileMarker().toStdString() + " " + t.path("deep/top").toStdString() + "\n";
    const std::string copies = expected.substr(expected.find('\n') + 1);
    EXPECT_EQ(out, expected + "--\n" + self + copies + "errors 0");
}

TEST(EngineDeep, AnEmptyPathIsPathNotFoundForBothWalks)
{
    for (const bool collecting : {true, false}) {
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray path;
        int32_t entries = 0, folders = 0;
        if (collecting)
            FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        else
            FindFilesAPI(host, path, "*.*", entries, folders);
        EXPECT_EQ(path, QByteArray()); // not turned into "/"
        EXPECT_EQ(host.yields, 0);
        EXPECT_EQ(files.fileCount(), 0);
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_EQ(host.errors[0].number, 76);
        EXPECT_EQ(host.errors[0].text, QStringLiteral("76Путь не найден\r"));
        EXPECT_EQ(host.errors[0].title, QStringLiteral("76"));
    }
}

TEST(EngineDeep, NoDescriptorLeftShowsTooManyFilesForTheFolderOrFile)
{
    TempTree t;
    t.file("here", QByteArray("same"));
    t.file("there", QByteArray("same"));
    t.file("sub/inner", QByteArray("same"));
    const QByteArray root = t.root();

    // The root opens with the last descriptor; its subfolder cannot.
    std::string out = RunInChild([&] {
        if (!LimitDescriptors(64))
            return std::string("no limit");
        UseUpDescriptors(1);
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray path = root;
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        std::string s = std::to_string(files.fileCount()) + "\n";
        for (const auto &e : host.errors)
            s += std::to_string(e.number) + "|" + e.text.toStdString() + "|" + e.title.toStdString() + "\n";
        return s;
    });
    EXPECT_EQ(out, "2\n67|67Слишком много файлов\r" + root.toStdString() + "/sub|67\n");

    // The files were listed, but no descriptor is left to read them.
    out = RunInChild([&] {
        if (!LimitDescriptors(64))
            return std::string("no limit");
        RecordingHost host;
        FileCollection files;
        files.reset();
        QByteArray path = root + "/sub";
        int32_t entries = 0, folders = 0;
        FindFilesAPI_all(host, files, path, "*.*", entries, folders);
        path = root;
        RecordingHost top;
        FindFilesAPI_all(top, files, path, "*.*", entries, folders);
        SortBySize(files);
        UseUpDescriptors(0);
        std::string s = std::to_string(ListDuplicateGroups(files, &host).size()) + "\n";
        for (const auto &e : host.errors)
            s += std::to_string(e.number) + "|" + e.text.toStdString() + "|" + e.title.toStdString() + "\n";
        return s;
    });
    EXPECT_EQ(out.substr(0, out.find('|')), "0\n67") << out;
    EXPECT_EQ(out.find('\n', out.find('\n') + 1), out.size() - 1) << out; // one box only

    // The matching walk: the copy cannot be opened to compare it.
    out = RunInChild([&] {
        if (!LimitDescriptors(64))
            return std::string("no limit");
        RecordingHost host;
        host.chosen = TakeChosenFile(root + "/sub/inner");
        UseUpDescriptors(1);
        QByteArray path = root;
        int32_t entries = 0, folders = 0;
        FindFilesAPI(host, path, "*.*", entries, folders);
        std::string s = std::to_string(host.rows.size()) + "\n";
        for (const auto &e : host.errors)
            s += std::to_string(e.number) + "|" + e.text.toStdString() + "|" + e.title.toStdString() + "\n";
        return s;
    });
    const std::vector<QByteArray> listing = vs::test::ListingOrder(root);
    QByteArray firstFile;
    for (const QByteArray &n : listing)
        if (n != "sub") {
            firstFile = n;
            break;
        }
    EXPECT_EQ(out, "0\n67|67Слишком много файлов\r" + (root + '/' + firstFile).toStdString() + "|67\n");
}
