// The image checksum of the CRC column: crafted files with known values, a
// word-by-word reference on random contents (dense and sparse), images with
// stored fields, and real images from Debian's MinGW runtime package.
#include "dupes/engine/FileChecksum.h"
#include "support/ReferenceChecksum.h"
#include "support/TempTree.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace vs;
using vs::test::ReferenceChecksum;
using vs::test::TempTree;

namespace
{

QByteArray RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray b(qsizetype(n), '\0');
    for (char &c : b)
        c = char(gen());
    return b;
}

// A minimal image: "MZ", the header offset at 0x3C, "PE\0\0" and the magic.
QByteArray Image(int e, int length, uint16_t magic = 0x10B)
{
    QByteArray d = RandomBytes(size_t(length), 7);
    d[0] = 'M';
    d[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        d[0x3C + i] = char((e >> (8 * i)) & 0xFF);
    d.replace(e, 4, QByteArray("PE\0\0", 4));
    d[e + 24] = char(magic & 0xFF);
    d[e + 25] = char(magic >> 8);
    return d;
}

void PutLe32(QByteArray &d, int pos, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[pos + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

TEST(EngineChecksum, CraftedFilesHaveTheirKnownValues)
{
    TempTree t;
    t.file("empty", QByteArray());
    t.file("one", QByteArray("\x01", 1));
    t.file("odd", QByteArray("hello world"));           // 11 bytes, last byte alone
    t.file("ones", QByteArray(65536, '\xFF'));          // every word 0xFFFF
    t.file("carry", QByteArray("\xFF\xFF\x01\x00", 4)); // 0xFFFF + 1 folds to 1
    EXPECT_EQ(FileChecksum(t.path("empty")), 0);
    EXPECT_EQ(FileChecksum(t.path("one")), 2);
    EXPECT_EQ(FileChecksum(t.path("odd")), 52892);
    EXPECT_EQ(FileChecksum(t.path("ones")), 0xFFFF + 65536);
    EXPECT_EQ(FileChecksum(t.path("carry")), 1 + 4);
    EXPECT_EQ(FileChecksum(t.path("missing")), 0);
    EXPECT_EQ(FileChecksum(t.root()), 0); // a folder cannot be read as a file
}

TEST(EngineChecksum, MatchesTheWordByWordSumOnRandomContents)
{
    TempTree t;
    // Lengths around the reader's chunk and vector widths, odd and even.
    for (size_t n : {size_t(2), size_t(15), size_t(17), size_t(4095), size_t(4097), size_t(262143),
                     size_t(262144 + 3), size_t(1 << 20) + 1}) {
        const QByteArray d = RandomBytes(n, unsigned(n));
        t.file("r", d);
        EXPECT_EQ(FileChecksum(t.path("r")), ReferenceChecksum(d)) << n;
        EXPECT_EQ(ChecksumOfBytes(d.constData(), size_t(d.size())), ReferenceChecksum(d)) << n;
        const FileContent c = ReadFileContent(t.path("r"));
        EXPECT_TRUE(c.sameAs(ContentOfBytes(d.constData(), size_t(d.size())))) << n;
    }
}

TEST(EngineChecksum, SwappedWordsGiveTheSameChecksumButOtherContents)
{
    const QByteArray a("abcdefgh"), b("cdabefgh");
    EXPECT_EQ(ChecksumOfBytes(a.constData(), 8), ChecksumOfBytes(b.constData(), 8));
    EXPECT_FALSE(ContentOfBytes(a.constData(), 8).sameAs(ContentOfBytes(b.constData(), 8)));
}

TEST(EngineChecksum, ImagesLeaveTheirStoredFieldOut)
{
    TempTree t;
    for (uint16_t magic : {uint16_t(0x10B), uint16_t(0x20B)}) {
        QByteArray img = Image(0x80, 1001, magic);
        PutLe32(img, 0x80 + 88, 0);
        const int32_t computed = ChecksumOfBytes(img.constData(), size_t(img.size()));
        // A correctly checksummed image stores exactly the computed value.
        PutLe32(img, 0x80 + 88, uint32_t(computed));
        t.file("img", img);
        EXPECT_EQ(FileChecksum(t.path("img")), computed);
        uint32_t stored = 0;
        ASSERT_TRUE(StoredImageChecksum(img.constData(), size_t(img.size()), stored));
        EXPECT_EQ(int32_t(stored), computed);
        EXPECT_EQ(computed, ReferenceChecksum(img));
    }
    // An odd header offset puts the field across word boundaries.
    QByteArray odd = Image(0x81, 600);
    PutLe32(odd, 0x81 + 88, 0x12345678);
    t.file("odd", odd);
    EXPECT_EQ(FileChecksum(t.path("odd")), ReferenceChecksum(odd));
    // Another magic is no image: the field is summed like any bytes.
    QByteArray other = Image(0x80, 600, 0x107);
    uint32_t stored;
    EXPECT_FALSE(StoredImageChecksum(other.constData(), size_t(other.size()), stored));
    EXPECT_EQ(ChecksumOfBytes(other.constData(), 600), ReferenceChecksum(other));
}

TEST(EngineChecksum, TruncatedImagesReadZerosPastTheEnd)
{
    TempTree t;
    QByteArray img = Image(0x40, 0x40 + 90); // the field's high half is past the end
    img[0x40 + 88] = char(0x34);
    img[0x40 + 89] = char(0x12);
    t.file("cut", img);
    const QByteArray withoutField = img.left(0x40 + 88);
    // Subtracting 0x1234 undoes exactly what the two present bytes added.
    EXPECT_EQ(FileChecksum(t.path("cut")), ReferenceChecksum(img));
    EXPECT_EQ(uint32_t(FileChecksum(t.path("cut"))) - uint32_t(img.size()),
              uint32_t(ReferenceChecksum(withoutField)) - uint32_t(withoutField.size()));
    // The header offset points past the end: no "PE", no image.
    QByteArray stub("MZ");
    stub += QByteArray(0x3A, '\0');
    stub += QByteArray("\x00\x10\x00\x00", 4);
    t.file("stub", stub);
    EXPECT_EQ(FileChecksum(t.path("stub")), ReferenceChecksum(stub));
    // A negative offset is no image either.
    QByteArray neg = Image(0x80, 400);
    PutLe32(neg, 0x3C, 0xFFFFFF80u);
    uint32_t stored;
    EXPECT_FALSE(StoredImageChecksum(neg.constData(), size_t(neg.size()), stored));
}

TEST(EngineChecksum, SparseFilesSumTheirDataAndHashTheirHoles)
{
    TempTree t;
    const QByteArray data = RandomBytes(5000, 3);
    const int64_t size = 8 * 1024 * 1024 + 7;
    QByteArray dense(qsizetype(size), '\0');
    dense.replace(3 * 1024 * 1024 + 1, data.size(), data); // data at an odd offset
    {
        const int fd = ::open(t.path("sparse").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, data.constData(), size_t(data.size()), 3 * 1024 * 1024 + 1), data.size());
        ASSERT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }
    t.file("dense", dense);
    const FileContent sparse = ReadFileContent(t.path("sparse"));
    const FileContent full = ReadFileContent(t.path("dense"));
    EXPECT_EQ(sparse.checksum, ReferenceChecksum(dense));
    EXPECT_TRUE(sparse.sameAs(full));
}

namespace
{

// A file with `data` written at each of `at` and holes everywhere else.
void SparseFile(const TempTree &t, const char *name, int64_t size,
                const std::vector<std::pair<int64_t, QByteArray>> &at)
{
    const int fd = ::open(t.path(name).constData(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    for (const auto &[offset, data] : at)
        ASSERT_EQ(::pwrite(fd, data.constData(), size_t(data.size()), offset), data.size());
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

QByteArray DenseOf(int64_t size, const std::vector<std::pair<int64_t, QByteArray>> &at)
{
    QByteArray d(qsizetype(size), '\0');
    for (const auto &[offset, data] : at)
        d.replace(qsizetype(offset), data.size(), data);
    return d;
}

} // namespace

TEST(EngineChecksum, HolesAndWrittenZerosGiveOneContent)
{
    // Holes that start and end on blocks and between them, zeros written
    // out in whole blocks and in pieces, and a partial last block: the sparse
    // file, a dense copy on disk and the bytes in memory are one content.
    TempTree t;
    const QByteArray zeros(3 * 4096, '\0');
    const std::vector<std::vector<std::pair<int64_t, QByteArray>>> layouts = {
        {},
        {{0, RandomBytes(100, 1)}},
        {{4096, RandomBytes(4096, 2)}, {5 * 4096 + 17, RandomBytes(9000, 3)}},
        {{0, zeros}, {3 * 4096, RandomBytes(1, 4)}, {8 * 4096 - 3, RandomBytes(6, 5)}},
        {{4000, RandomBytes(200, 6)}, {64 * 4096, zeros}, {70 * 4096 + 1, RandomBytes(4096, 7)}},
    };
    for (size_t k = 0; k < layouts.size(); ++k) {
        for (int64_t size : {int64_t(80 * 4096), int64_t(80 * 4096 + 123)}) {
            SparseFile(t, "sparse", size, layouts[k]);
            const QByteArray dense = DenseOf(size, layouts[k]);
            t.file("dense", dense);
            const FileContent a = ReadFileContent(t.path("sparse"));
            const FileContent b = ReadFileContent(t.path("dense"));
            const FileContent c = ContentOfBytes(dense.constData(), size_t(dense.size()));
            EXPECT_TRUE(a.readable && b.readable) << k << " " << size;
            EXPECT_TRUE(a.sameAs(b)) << k << " " << size;
            EXPECT_TRUE(a.sameAs(c)) << k << " " << size;
            EXPECT_EQ(a.checksum, ReferenceChecksum(dense)) << k << " " << size;
        }
    }
}

TEST(EngineChecksum, ZeroBlocksElsewhereAreOtherContents)
{
    // The same bytes and the same number of zero blocks, in other places or
    // other lengths: the checksum cannot tell them apart, the contents must.
    const QByteArray data = RandomBytes(4096, 8);
    const QByteArray zero(4096, '\0');
    const std::vector<QByteArray> all = {
        zero + data + zero,        data + zero + zero,        zero + zero + data, zero + data + zero + zero,
        zero + zero + data + zero, data + zero + zero + zero, data + data + zero, data + zero + data,
    };
    for (size_t i = 0; i < all.size(); ++i) {
        const FileContent a = ContentOfBytes(all[i].constData(), size_t(all[i].size()));
        for (size_t j = 0; j < all.size(); ++j) {
            const FileContent b = ContentOfBytes(all[j].constData(), size_t(all[j].size()));
            EXPECT_EQ(a.sameAs(b), i == j) << i << " " << j;
        }
    }
    // A block of zeros differs from a shorter tail of zeros or one that
    // holds a single other byte.
    QByteArray one = zero;
    one[4095] = 1;
    const QByteArray shorter(4095, '\0');
    const FileContent z = ContentOfBytes(zero.constData(), 4096);
    EXPECT_FALSE(z.sameAs(ContentOfBytes(one.constData(), 4096)));
    EXPECT_FALSE(z.sameAs(ContentOfBytes(shorter.constData(), 4095)));
}

TEST(EngineChecksum, AHugeHoleIsOneContentWithItsZerosInMemory)
{
    // 64 MiB of hole around 10 bytes of data, against the same bytes dense
    // in memory.
    TempTree t;
    const int64_t size = 64 * 1024 * 1024;
    const std::vector<std::pair<int64_t, QByteArray>> at = {{size / 2 + 5, QByteArray("0123456789")}};
    SparseFile(t, "huge", size, at);
    const QByteArray dense = DenseOf(size, at);
    const FileContent c = ReadFileContent(t.path("huge"));
    EXPECT_TRUE(c.sameAs(ContentOfBytes(dense.constData(), size_t(dense.size()))));
    EXPECT_EQ(c.checksum, ReferenceChecksum(dense));
}

TEST(EngineChecksum, LengthCountsModulo2To32AndShowsSigned)
{
    TempTree t;
    // 3 GiB of hole: the sum is 0 and the length alone passes 2^31.
    {
        const int fd = ::open(t.path("big").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, int64_t(3) << 30), 0);
        ::close(fd);
    }
    EXPECT_EQ(FileChecksum(t.path("big")), int32_t(uint32_t(3u << 30)));
    EXPECT_LT(FileChecksum(t.path("big")), 0);
    // 4 GiB + 2: only the first two bytes (the length modulo 2^32) are summed.
    {
        const int fd = ::open(t.path("wrap").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "\x05\x00", 2, (int64_t(1) << 32)), 2);
        ::close(fd);
    }
    EXPECT_EQ(FileChecksum(t.path("wrap")), 2);
}

TEST(EngineChecksum, FifoAndUnreadableFilesGiveZero)
{
    TempTree t;
    ASSERT_EQ(::mkfifo(t.path("fifo").constData(), 0644), 0);
    const FileContent c = ReadFileContent(t.path("fifo")); // must not block
    EXPECT_FALSE(c.readable);
    EXPECT_EQ(c.checksum, 0);
    EXPECT_FALSE(c.sameAs(c)); // unreadable equals nothing, not even itself
}

// Images that a real toolchain checksummed: Debian's MinGW runtime DLLs.
TEST(EngineChecksum, RealImagesFromDebianMatchTheirStoredField)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess get;
    get.setWorkingDirectory(dir.path());
    get.start(QStringLiteral("timeout"),
              {QStringLiteral("180"), QStringLiteral("apt-get"), QStringLiteral("download"),
               QStringLiteral("gcc-mingw-w64-x86-64-win32-runtime")});
    if (!get.waitForFinished(200000) || get.exitStatus() != QProcess::NormalExit || get.exitCode() != 0)
        GTEST_SKIP() << "apt-get download gcc-mingw-w64-x86-64-win32-runtime failed (no Debian mirror "
                        "reachable?): real images not checked";
    QStringList debs = QDir(dir.path()).entryList({QStringLiteral("*.deb")});
    ASSERT_EQ(debs.size(), 1);
    QProcess unpack;
    unpack.start(QStringLiteral("dpkg-deb"),
                 {QStringLiteral("-x"), dir.filePath(debs[0]), dir.filePath(QStringLiteral("x"))});
    ASSERT_TRUE(unpack.waitForFinished(120000));
    ASSERT_EQ(unpack.exitCode(), 0);
    int checked = 0;
    QDirIterator it(dir.filePath(QStringLiteral("x")), {QStringLiteral("*.dll")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray d = f.readAll();
        uint32_t stored = 0;
        ASSERT_TRUE(StoredImageChecksum(d.constData(), size_t(d.size()), stored)) << path.toStdString();
        ASSERT_NE(stored, 0u) << path.toStdString();
        EXPECT_EQ(uint32_t(FileChecksum(QFile::encodeName(path))), stored) << path.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 5);
}
