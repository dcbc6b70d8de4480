// The one directory reader, the dot-name check, the opener and the path
// tidier on real temporary trees.
#include "fs/DirectoryReader.h"
#include "fs/FileOpen.h"
#include "fs/Paths.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vs::DirectoryReader;
using vs::DirEntry;
using vs::test::TempTree;

namespace
{

struct Named {
    QByteArray name;
    unsigned char type;
    bool operator==(const Named &) const = default;
};

// What readdir delivers, "." and ".." included.
std::vector<Named> ReaddirListing(const QByteArray &folder)
{
    std::vector<Named> out;
    if (DIR *d = opendir(folder.constData())) {
        while (dirent *e = readdir(d))
            out.push_back({QByteArray(e->d_name), e->d_type});
        closedir(d);
    }
    return out;
}

std::vector<Named> ReadAll(DirectoryReader &reader, int fd)
{
    std::vector<Named> out;
    reader.start(fd);
    DirEntry e;
    while (reader.next(e))
        out.push_back({QByteArray(e.name), e.type});
    EXPECT_EQ(reader.error(), 0);
    return out;
}

// Runs `fn` in a child process, as an unprivileged user when the tests run as
// root; its exit code (-1 when it did not exit).
int InChild(const std::function<int()> &fn)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(DotName, OnlyDotAndDotDot)
{
    EXPECT_TRUE(vs::IsDotName("."));
    EXPECT_TRUE(vs::IsDotName(".."));
    for (const char *n : {"", "...", ".a", "..a", "a.", "a", ". "})
        EXPECT_FALSE(vs::IsDotName(n)) << n;
}

TEST(DirectoryReader, BigFolderInKernelOrderWithTypesAcrossManyBuffers)
{
    TempTree t;
    for (int i = 0; i < 1500; ++i)
        t.file("f" + QByteArray::number(i) + QByteArray(40, 'n'), 0);
    for (int i = 0; i < 30; ++i)
        t.mkdir("d" + QByteArray::number(i));
    t.symlink("f1", "link");
    const std::vector<Named> all = ReaddirListing(t.root());
    std::vector<Named> noDots;
    for (const Named &n : all)
        if (n.name != "." && n.name != "..")
            noDots.push_back(n);
    ASSERT_EQ(noDots.size(), 1531u);

    const int fd = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    // 1 KiB holds a few dozen of these names: the folder takes many reads.
    DirectoryReader small(DirectoryReader::Dots::Skip, 1024);
    EXPECT_EQ(ReadAll(small, fd), noDots);
    lseek(fd, 0, SEEK_SET);
    DirectoryReader withDots(DirectoryReader::Dots::Deliver);
    EXPECT_EQ(ReadAll(withDots, fd), all);
    // At the end it stays at the end.
    DirEntry e;
    EXPECT_FALSE(withDots.next(e));
    EXPECT_EQ(withDots.error(), 0);
    close(fd);
}

TEST(DirectoryReader, OneReaderGoesFromFolderToFolder)
{
    TempTree t;
    t.file("a/x", 1);
    t.file("b/y", 1);
    t.mkdir("empty");
    DirectoryReader reader(DirectoryReader::Dots::Skip, 512);
    for (const char *folder : {"a", "b", "empty", "a"}) {
        const int fd = open(t.path(folder).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        std::vector<Named> expected;
        for (const Named &n : ReaddirListing(t.path(folder)))
            if (n.name != "." && n.name != "..")
                expected.push_back(n);
        EXPECT_EQ(ReadAll(reader, fd), expected) << folder;
        close(fd);
    }
}

TEST(DirectoryReader, AFailedReadEndsWithItsErrorAndIsTriedAgain)
{
    TempTree t;
    t.file("plain", 3);
    const int fd = open(t.path("plain").constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    DirectoryReader reader;
    reader.start(fd);
    DirEntry e;
    EXPECT_FALSE(reader.next(e));
    EXPECT_EQ(reader.error(), ENOTDIR);
    EXPECT_FALSE(reader.next(e));
    EXPECT_EQ(reader.error(), ENOTDIR);
    close(fd);
    reader.start(-1);
    EXPECT_FALSE(reader.next(e));
    EXPECT_EQ(reader.error(), EBADF);
}

TEST(FileOpen, NoAtimeWhenAllowedAndWithoutItWhenRefused)
{
    TempTree t;
    t.file("mine", 4);
    const int fd = vs::OpenNoAtime(t.path("mine"), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NOATIME);
    close(fd);
    const int dir = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    const int at = vs::OpenNoAtimeAt(dir, "mine", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(at, 0);
    EXPECT_TRUE(fcntl(at, F_GETFL) & O_NOATIME);
    close(at);
    close(dir);
    EXPECT_EQ(vs::OpenNoAtimeAt(AT_FDCWD, t.path("missing").constData(), O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);

    // "/" belongs to root: anyone else is refused O_NOATIME on it, and the
    // opener then opens it without.
    EXPECT_EQ(InChild([] {
                  if (open("/", O_RDONLY | O_NOATIME) >= 0 || errno != EPERM)
                      return 1;
                  const int a = vs::OpenNoAtime("/", O_RDONLY);
                  const int b = vs::OpenNoAtimeAt(AT_FDCWD, "/", O_RDONLY);
                  if (a < 0 || b < 0)
                      return 2;
                  return (fcntl(a, F_GETFL) & O_NOATIME) || (fcntl(b, F_GETFL) & O_NOATIME) ? 3 : 0;
              }),
              0);
}

TEST(FileOpen, PathsLongerThanPathMax)
{
    TempTree t;
    const QByteArray part(200, 'p');
    QByteArray rel;
    int dir = open(t.root().constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(mkdirat(dir, part.constData(), 0755), 0);
        const int next = openat(dir, part.constData(), O_RDONLY | O_DIRECTORY);
        close(dir);
        dir = next;
        rel += '/' + part;
    }
    const int f = openat(dir, "f", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(f, "abc", 3), 3);
    close(f);
    close(dir);
    const QByteArray deep = t.root() + rel;
    ASSERT_GT(deep.size(), PATH_MAX);

    int fd = vs::OpenAnyPath(deep + "/f", O_RDONLY);
    ASSERT_GE(fd, 0);
    char buf[4] = {};
    EXPECT_EQ(read(fd, buf, 4), 3);
    EXPECT_STREQ(buf, "abc");
    close(fd);
    fd = vs::OpenNoAtime(deep + "/", O_RDONLY | O_DIRECTORY); // "a/b/" names b
    EXPECT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(vs::OpenAnyPath(deep + "/missing/f", O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST(FileOpen, OpenLimitIsRaisedToTheHardLimit)
{
    rlimit r{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &r), 0);
    if (r.rlim_max > 64) {
        r.rlim_cur = 64;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &r), 0);
    }
    vs::RaiseOpenLimit();
    rlimit after{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &after), 0);
    EXPECT_EQ(after.rlim_cur, r.rlim_max);
}

TEST(Paths, TidyPathDropsDotsAndDoubledSlashes)
{
    EXPECT_EQ(vs::TidyPath("/a/./b//c/../d"), "/a/b/d");
    EXPECT_EQ(vs::TidyPath("//x/"), "/x");
    EXPECT_EQ(vs::TidyPath("/a/b/.."), "/a");
    EXPECT_EQ(vs::TidyPath("/../.."), "/");
    EXPECT_EQ(vs::TidyPath("/"), "/");
    EXPECT_EQ(vs::TidyPath("/a/.../b."), "/a/.../b.");
    EXPECT_EQ(vs::TidyPath("/\xff\xfe/./n"), "/\xff\xfe/n"); // bytes, not text
}
