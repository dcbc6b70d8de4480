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

BenchRun Bench(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(VOLUMESCOPE_BENCH), args);
    BenchRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
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
