// volumescope-bench sizes: one line per subfolder, "bytes<TAB>path", in the
// order the folder lists them; --disk-usage changes the numbers only.
#include "fs/LinuxFileSystem.h"
#include "fs/Paths.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QProcess>

using vs::test::TempTree;

namespace
{

struct BenchRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

BenchRun RunProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    BenchRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

BenchRun Bench(const QStringList &args)
{
    return RunProgram(QStringLiteral(VOLUMESCOPE_BENCH), args);
}

// What the window would list: each subfolder in listing order with its total.
QByteArray Expected(const QByteArray &dir, vs::SizeMeasure measure)
{
    vs::LinuxFileSystem fs(1);
    QByteArray lines;
    auto listing = fs.subFolders(dir);
    QByteArray name;
    while (listing->next(name)) {
        const QByteArray path = vs::JoinPath(dir, name);
        lines += QByteArray::number(qint64(fs.folderTotal(path, measure).bytes())) + '\t' + path + '\n';
    }
    return lines;
}

} // namespace

TEST(BenchSizes, ListsEachSubfolderInEitherMeasure)
{
    TempTree t;
    t.file("a/one", 1234);
    t.file("a/deeper/two", 10);
    t.file("b/three", 7);
    t.mkdir("c");
    t.file("loose", 99); // not a folder: not listed
    const QString dir = QString::fromUtf8(t.root());

    const BenchRun plain = Bench({QStringLiteral("sizes"), dir});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.err, QByteArray());
    EXPECT_EQ(plain.out, Expected(t.root(), vs::SizeMeasure::Apparent));
    // The plain output keeps its exact form: the lengths of the files.
    EXPECT_TRUE(plain.out.contains("1244\t" + t.path("a") + '\n'));
    EXPECT_TRUE(plain.out.contains("7\t" + t.path("b") + '\n'));
    EXPECT_TRUE(plain.out.contains("0\t" + t.path("c") + '\n'));
    EXPECT_EQ(plain.out.count('\n'), 3);

    const BenchRun disk = Bench({QStringLiteral("sizes"), QStringLiteral("--disk-usage"), dir});
    EXPECT_EQ(disk.exitCode, 0);
    EXPECT_EQ(disk.out, Expected(t.root(), vs::SizeMeasure::OnDisk));
    EXPECT_NE(disk.out, plain.out);
}

TEST(BenchSizes, WrongArgumentsShowTheUsage)
{
    const QByteArray usage = "usage: volumescope-bench sizes [--disk-usage] DIR\n";
    for (const QStringList &args :
         {QStringList{QStringLiteral("sizes")},
          QStringList{QStringLiteral("sizes"), QStringLiteral("--disk-usage")},
          QStringList{QStringLiteral("sizes"), QStringLiteral("--apparent"), QStringLiteral("/")},
          QStringList{QStringLiteral("sizes"), QStringLiteral("/"), QStringLiteral("/")}}) {
        const BenchRun r = Bench(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(r.err, usage);
        EXPECT_EQ(r.out, QByteArray());
    }
}

// sizes.sh holds the program's totals against refwalk's, and refwalk -u
// (statx through io_uring, 256 to a submission) against the plain calls.
TEST(BenchSizes, ReferenceWalkerAgreesWithAndWithoutIoUring)
{
    TempTree t;
    int64_t many = 0;
    for (int i = 1; i <= 300; ++i) { // two submissions: 256, then 44
        t.file("a/f" + QByteArray::number(i), i);
        many += i;
    }
    t.file("a/sub/deep/five", 5);
    t.hardlink("a/f1", "a/twin"); // the same inode twice: once
    t.symlink("f300", "a/link");  // not followed, not counted
    t.file("b/seven", 7);
    t.hardlink("a/f2", "b/other-twin"); // counted again in another subfolder
    t.mkdir("c");
    const QString dir = QString::fromUtf8(t.root());

    const BenchRun bench = Bench({QStringLiteral("sizes"), dir});
    ASSERT_EQ(bench.exitCode, 0);
    EXPECT_TRUE(bench.out.contains(QByteArray::number(many + 5) + '\t' + t.path("a") + '\n'));
    EXPECT_TRUE(bench.out.contains("9\t" + t.path("b") + '\n'));
    EXPECT_TRUE(bench.out.contains("0\t" + t.path("c") + '\n'));
    EXPECT_EQ(bench.out.count('\n'), 3);

    for (const QStringList &threads : {QStringList{QStringLiteral("-t"), QStringLiteral("1")},
                                       QStringList{QStringLiteral("-t"), QStringLiteral("2")}}) {
        const BenchRun plain = RunProgram(QStringLiteral(REFWALK), threads + QStringList{dir});
        EXPECT_EQ(plain.exitCode, 0);
        EXPECT_EQ(plain.err, QByteArray());
        EXPECT_EQ(plain.out.toStdString(), bench.out.toStdString()) << threads.join(u' ').toStdString();

        const BenchRun ring =
            RunProgram(QStringLiteral(REFWALK), threads + QStringList{QStringLiteral("-u"), dir});
        if (ring.exitCode == 2 && ring.err == "refwalk: built without liburing, -u is not available\n")
            GTEST_SKIP() << "refwalk was built without liburing";
        if (ring.exitCode == 1 && ring.err.startsWith("refwalk: io_uring_queue_init: "))
            GTEST_SKIP() << "io_uring is off here: " << ring.err.constData();
        EXPECT_EQ(ring.exitCode, 0);
        EXPECT_EQ(ring.err, QByteArray());
        EXPECT_EQ(ring.out.toStdString(), bench.out.toStdString())
            << threads.join(u' ').toStdString() << " -u";
    }
}
