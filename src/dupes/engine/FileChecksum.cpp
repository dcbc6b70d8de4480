#include "dupes/engine/FileChecksum.h"

#include "dupes/engine/ContentReader.h"
#include "fs/FileOpen.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vs
{

namespace
{

constexpr uint64_t kFold = 0xFFFF;
constexpr size_t kChunk = 256 * 1024; // stays in L2 between the copy and the sums
constexpr size_t kHead = 4096;

// The sum of the little-endian 16-bit words of `n` bytes (a multiple of 32),
// reduced modulo 0xFFFF; 0 only when every byte is 0. Each 32-bit lane adds
// its two words; lanes are emptied before they could overflow. Inlined into
// one function per instruction set below.
__attribute__((always_inline)) inline uint64_t WordsOf32ByteBlocksBody(const unsigned char *p, size_t n)
{
    typedef uint32_t Lanes __attribute__((vector_size(32)));
    uint64_t total = 0;
    bool any = false;
    while (n > 0) {
        const size_t block = std::min<size_t>(n, 8192 * 32);
        Lanes acc = {};
        for (size_t i = 0; i < block; i += 32) {
            Lanes v;
            std::memcpy(&v, p + i, 32);
            acc += (v & 0xFFFF) + (v >> 16);
        }
        for (int k = 0; k < 8; ++k) {
            total += acc[k];
            any = any || acc[k] != 0;
        }
        p += block;
        n -= block;
    }
    if (!any)
        return 0;
    total %= kFold;
    return total == 0 ? kFold : total;
}

uint64_t WordsOf32ByteBlocksBaseline(const unsigned char *p, size_t n)
{
    return WordsOf32ByteBlocksBody(p, n);
}

using WordsFunction = uint64_t (*)(const unsigned char *, size_t);

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) uint64_t WordsOf32ByteBlocksAvx2(const unsigned char *p, size_t n)
{
    return WordsOf32ByteBlocksBody(p, n);
}
#endif

// The CPU is asked once, at the first use, in ordinary code: a resolver that
// runs while the program is being loaded runs before a sanitizer's runtime
// is ready.
WordsFunction ChooseWordsFunction()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return WordsOf32ByteBlocksAvx2;
#endif
    return WordsOf32ByteBlocksBaseline;
}

uint64_t WordsOf32ByteBlocks(const unsigned char *p, size_t n)
{
    static const WordsFunction chosen = ChooseWordsFunction();
    return chosen(p, n);
}

// One's-complement sum of little-endian 16-bit words. Since 2^16 = 1 modulo
// 0xFFFF, the end-around-carry sum is the plain sum of all words modulo
// 0xFFFF (kept apart from zero: a sum of non-zero words never folds to 0), so
// the bytes can be added in any grouping: whole words or dwords, or low bytes
// once and high bytes times 256.
class WordSum
{
  public:
    explicit WordSum(uint64_t limit) : limit_(limit) {}

    // Adds bytes found at file offset `offset`; bytes at or past the limit
    // (the length modulo 2^32) are not summed.
    void add(uint64_t offset, const unsigned char *p, size_t n)
    {
        if (offset >= limit_)
            return;
        n = size_t(std::min<uint64_t>(n, limit_ - offset));
        if (n == 0)
            return;
        uint64_t lo = 0, hi = 0;
        if (offset & 1) {
            hi += p[0];
            any_ |= p[0];
            ++p;
            --n;
        }
        size_t i = n & ~size_t(31);
        const uint64_t words = WordsOf32ByteBlocks(p, i);
        lo += words; // a word's high byte already carries its weight 256 here
        any_ |= words;
        for (; i + 1 < n; i += 2) {
            lo += p[i];
            hi += p[i + 1];
            any_ |= p[i] | p[i + 1];
        }
        if (i < n) {
            lo += p[i];
            any_ |= p[i];
        }
        mod_ = (mod_ + lo % kFold + (hi % kFold) * 256) % kFold;
    }

    uint32_t value() const
    {
        if (!any_)
            return 0;
        return mod_ == 0 ? uint32_t(kFold) : uint32_t(mod_);
    }

  private:
    uint64_t limit_;
    uint64_t mod_ = 0;
    uint64_t any_ = 0;
};

uint32_t Le32(const unsigned char *b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Reads `n` bytes at `pos` of the image view (bytes past `length` are 0).
template <typename Fetch>
void ViewBytes(uint64_t length, uint64_t pos, unsigned char *out, size_t n, Fetch &&fetch)
{
    std::memset(out, 0, n);
    if (pos >= length)
        return;
    const size_t have = size_t(std::min<uint64_t>(n, length - pos));
    fetch(pos, out, have);
}

// The stored checksum field when the view is an executable image.
template <typename Fetch> bool ImageField(uint64_t length, Fetch &&fetch, uint32_t &stored)
{
    unsigned char b[4];
    ViewBytes(length, 0, b, 2, fetch);
    if (b[0] != 'M' || b[1] != 'Z')
        return false;
    ViewBytes(length, 0x3C, b, 4, fetch);
    const int32_t e = int32_t(Le32(b));
    if (e < 0 || e >= 256 * 1024 * 1024)
        return false;
    ViewBytes(length, uint64_t(e), b, 4, fetch);
    if (std::memcmp(b, "PE\0\0", 4) != 0)
        return false;
    ViewBytes(length, uint64_t(e) + 24, b, 2, fetch);
    const uint32_t magic = uint32_t(b[0]) | uint32_t(b[1]) << 8;
    if (magic != 0x10B && magic != 0x20B)
        return false;
    ViewBytes(length, uint64_t(e) + 88, b, 4, fetch);
    stored = Le32(b);
    return true;
}

uint32_t SubtractWord(uint32_t s, uint32_t w)
{
    return s >= w ? s - w : s - w + uint32_t(kFold);
}

template <typename Fetch> int32_t FinishChecksum(uint32_t sum, uint64_t size, Fetch &&fetch)
{
    const uint64_t length = size & 0xFFFFFFFFull;
    uint32_t stored = 0;
    if (ImageField(length, fetch, stored)) {
        sum = SubtractWord(sum, stored & 0xFFFF);
        sum = SubtractWord(sum, stored >> 16);
    }
    return int32_t(uint32_t(sum + uint32_t(length)));
}

int OpenForReading(const QByteArray &path, bool noFollow)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it is dropped below once
    // the file is known to be regular (where it means nothing anyway).
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0);
    return OpenNoAtime(path, flags);
}

// The 128-bit hash of a file's contents, taken over aligned 4 KiB blocks:
// a run of blocks that hold only zeros is hashed by where it starts and how
// long it is, every other byte as it is. Whether the zeros came from a hole
// or were read from the disk makes no difference, so equal contents always
// give equal hashes, and a hole costs nothing to hash. The bytes are kept
// in one stream and the runs in another; together with the length they
// give the contents back, so different contents differ in one of them.
// Without any such run the hash is the plain hash of the bytes.
class ContentHash
{
  public:
    static constexpr size_t kBlock = 4096;

    ContentHash() { XXH3_128bits_reset(&bytes_); }

    // Bytes at `offset`, which is where the previous call ended.
    void add(uint64_t offset, const unsigned char *p, size_t n)
    {
        if (offset % kBlock != 0 || pendingLen_ > 0) {
            const size_t k = std::min(n, kBlock - pendingLen_);
            std::memcpy(pending_ + pendingLen_, p, k);
            pendingLen_ += k;
            offset += k;
            p += k;
            n -= k;
            if (pendingLen_ < kBlock)
                return;
            pendingLen_ = 0;
            blocks(offset / kBlock - 1, pending_, 1);
        }
        const size_t whole = n / kBlock;
        blocks(offset / kBlock, p, whole);
        std::memcpy(pending_, p + whole * kBlock, n - whole * kBlock);
        pendingLen_ = n - whole * kBlock;
    }

    // `n` zero bytes at `offset` (a hole), without touching them.
    void zeros(uint64_t offset, uint64_t n)
    {
        while (n > 0 && (offset % kBlock != 0 || pendingLen_ > 0)) {
            const size_t k = size_t(std::min<uint64_t>(n, kBlock - pendingLen_));
            std::memset(pending_ + pendingLen_, 0, k);
            pendingLen_ += k;
            offset += k;
            n -= k;
            if (pendingLen_ == kBlock) {
                pendingLen_ = 0;
                blocks(offset / kBlock - 1, pending_, 1);
            }
        }
        if (n == 0)
            return;
        const uint64_t whole = n / kBlock;
        if (whole > 0)
            zeroRun(offset / kBlock, whole);
        pendingLen_ = size_t(n - whole * kBlock);
        std::memset(pending_, 0, pendingLen_);
    }

    // After the last bytes: the partial last block counts as bytes.
    std::array<uint64_t, 2> digest(uint64_t length)
    {
        XXH3_128bits_update(&bytes_, pending_, pendingLen_);
        pendingLen_ = 0;
        const XXH128_hash_t b = XXH3_128bits_digest(&bytes_);
        if (!anyRun_)
            return {b.low64, b.high64};
        flushRun();
        const XXH128_hash_t r = XXH3_128bits_digest(&runs_);
        const uint64_t all[5] = {b.low64, b.high64, r.low64, r.high64, length};
        const XXH128_hash_t h = XXH3_128bits(all, sizeof all);
        return {h.low64, h.high64};
    }

  private:
    static bool Zero(const unsigned char *p)
    {
        uint64_t any = 0;
        for (size_t i = 0; i < kBlock; i += 64) {
            uint64_t w[8];
            std::memcpy(w, p + i, 64);
            any |= w[0] | w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7];
            if (any)
                return false;
        }
        return true;
    }

    // `count` whole blocks from block number `first` on.
    void blocks(uint64_t first, const unsigned char *p, size_t count)
    {
        size_t start = 0; // of the blocks not yet hashed as bytes
        for (size_t i = 0; i < count; ++i) {
            if (!Zero(p + i * kBlock))
                continue;
            XXH3_128bits_update(&bytes_, p + start * kBlock, (i - start) * kBlock);
            zeroRun(first + i, 1);
            start = i + 1;
        }
        XXH3_128bits_update(&bytes_, p + start * kBlock, (count - start) * kBlock);
    }

    void zeroRun(uint64_t first, uint64_t count)
    {
        if (anyRun_ && runStart_ + runLength_ == first) {
            runLength_ += count;
            return;
        }
        if (!anyRun_) {
            XXH3_128bits_reset(&runs_);
            anyRun_ = true;
        } else {
            flushRun();
        }
        runStart_ = first;
        runLength_ = count;
    }

    void flushRun()
    {
        const uint64_t run[2] = {runStart_, runLength_};
        XXH3_128bits_update(&runs_, run, sizeof run);
    }

    XXH3_state_t bytes_;
    XXH3_state_t runs_;
    bool anyRun_ = false;
    uint64_t runStart_ = 0, runLength_ = 0; // the run not yet in runs_
    unsigned char pending_[kBlock];         // a block not complete yet
    size_t pendingLen_ = 0;
};

} // namespace

bool StoredImageChecksum(const char *data, size_t size, uint32_t &stored)
{
    const uint64_t length = uint64_t(size) & 0xFFFFFFFFull;
    return ImageField(
        length, [&](uint64_t pos, unsigned char *out, size_t n) { std::memcpy(out, data + pos, n); }, stored);
}

int32_t ChecksumOfBytes(const char *data, size_t size)
{
    WordSum sum(uint64_t(size) & 0xFFFFFFFFull);
    sum.add(0, reinterpret_cast<const unsigned char *>(data), size);
    return FinishChecksum(sum.value(), size, [&](uint64_t pos, unsigned char *out, size_t n) {
        std::memcpy(out, data + pos, n);
    });
}

FileContent ContentOfBytes(const char *data, size_t size)
{
    FileContent c;
    c.checksum = ChecksumOfBytes(data, size);
    ContentHash h;
    h.add(0, reinterpret_cast<const unsigned char *>(data), size);
    c.digest = h.digest(size);
    c.readable = true;
    return c;
}

namespace
{

// One read of a file's contents that feeds the checksum and the hash alike,
// keeping the first bytes for the image header the checksum looks at.
class ContentPass
{
  public:
    ContentPass(int fd, int64_t size, const ReadControl &control)
        : fd_(fd), size_(size), control_(control), sum_(uint64_t(size) & 0xFFFFFFFFull)
    {
    }

    bool cancelled() const { return control_.cancel && control_.cancel->load(std::memory_order_relaxed); }

    // A hole reads as zeros: it adds nothing to the sum, and the hash takes
    // it as a dense copy's zeros without going through them.
    void hole(int64_t from, int64_t to)
    {
        hash_.zeros(uint64_t(from), uint64_t(to - from));
        if (from < int64_t(kHead)) {
            const size_t n = size_t(std::min<int64_t>(to, int64_t(kHead)) - from);
            std::memset(head_ + from, 0, n);
            headLen_ = size_t(from) + n;
        }
    }

    // Reads the bytes [from, to); false on a read error, when the file ends
    // early or when the reading is cancelled (looked at every chunk, so that
    // a stop is not held up by the rest of a large file).
    bool data(int64_t from, int64_t to)
    {
        thread_local std::vector<unsigned char> buffer(kChunk);
        for (int64_t off = from; off < to;) {
            if (cancelled())
                return false;
            const size_t want = size_t(std::min<int64_t>(int64_t(kChunk), to - off));
            const ssize_t n = pread(fd_, buffer.data(), want, off);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            sum_.add(uint64_t(off), buffer.data(), size_t(n));
            hash_.add(uint64_t(off), buffer.data(), size_t(n));
            if (off < int64_t(kHead)) {
                const size_t k = size_t(std::min<int64_t>(n, int64_t(kHead) - off));
                std::memcpy(head_ + off, buffer.data(), k);
                headLen_ = size_t(off) + k;
            }
            off += n;
            if (control_.bytesDone)
                control_.bytesDone->fetch_add(n, std::memory_order_relaxed);
        }
        return true;
    }

    // The checksum, less the image's stored field (read from the kept first
    // bytes, or from the file past them), and the digest.
    FileContent finish()
    {
        bool fetchFailed = false;
        auto fetch = [&](uint64_t pos, unsigned char *out, size_t n) {
            if (pos + n <= headLen_) {
                std::memcpy(out, head_ + pos, n);
                return;
            }
            size_t got = 0;
            while (got < n) {
                const ssize_t r = pread(fd_, out + got, n - got, off_t(pos + got));
                if (r < 0 && errno == EINTR)
                    continue;
                if (r <= 0) {
                    fetchFailed = true;
                    return;
                }
                got += size_t(r);
            }
        };
        FileContent c;
        c.checksum = FinishChecksum(sum_.value(), uint64_t(size_), fetch);
        if (fetchFailed)
            return FileContent{};
        c.digest = hash_.digest(uint64_t(size_));
        c.readable = true;
        return c;
    }

  private:
    const int fd_;
    const int64_t size_;
    const ReadControl &control_;
    ContentHash hash_;
    WordSum sum_;
    unsigned char head_[kHead];
    size_t headLen_ = 0;
};

// Where the stretch of data at `off` ends (its next hole, or `size`); -1
// when it starts later, with `dataAt` its start; -2 when the file system
// cannot tell holes apart.
int64_t DataStretch(int fd, int64_t off, int64_t size, int64_t &dataAt)
{
    off_t data = lseek(fd, off, SEEK_DATA);
    if (data < 0 && errno == ENXIO)
        data = size; // only a hole is left
    if (data < 0)
        return -2;
    if (data > off) {
        dataAt = data;
        return -1;
    }
    const off_t hole = lseek(fd, off, SEEK_HOLE);
    return hole > off ? std::min<int64_t>(hole, size) : size;
}

} // namespace

FileContent ReadContent(int fd, int64_t size, const ReadControl &control, int64_t allocated)
{
    if (size < 0)
        return FileContent{};
    if (allocated < 0) {
        struct stat st {
        };
        allocated = fstat(fd, &st) == 0 ? int64_t(st.st_blocks) * 512 : size;
    }
    bool sparse = allocated < size; // only then are holes worth looking for
    if (size > int64_t(kChunk))
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    ContentPass pass(fd, size, control);
    for (int64_t off = 0; off < size;) {
        if (pass.cancelled())
            return FileContent{};
        int64_t end = size;
        if (sparse) {
            int64_t dataAt = 0;
            end = DataStretch(fd, off, size, dataAt);
            if (end == -2) {
                sparse = false;
                end = size;
            } else if (end == -1) {
                const int64_t to = std::min<int64_t>(dataAt, size);
                pass.hole(off, to);
                off = to;
                continue;
            }
        }
        if (!pass.data(off, end))
            return FileContent{}; // a read error, or the file shrank
        off = end;
    }
    return pass.finish();
}

// Keeps an open descriptor only when it is a regular file (O_NONBLOCK, used
// so a FIFO cannot block the open, means nothing for one).
static int KeepIfRegular(int fd, struct stat &st)
{
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

int OpenRegular(const QByteArray &path, bool noFollow, struct stat &st)
{
    return KeepIfRegular(OpenForReading(path, noFollow), st);
}

bool ReadPrefix(int fd, int64_t size, std::array<uint64_t, 2> &digest, FileContent &whole)
{
    if (size < 0)
        return false;
    char buf[kPrefixBytes];
    const size_t want = size_t(std::min<int64_t>(size, kPrefixBytes));
    size_t got = 0;
    while (got < want) {
        const ssize_t r = pread(fd, buf + got, want - got, off_t(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += size_t(r);
    }
    const XXH128_hash_t h = XXH3_128bits(buf, want);
    digest = {h.low64, h.high64};
    if (size <= kPrefixBytes)
        whole = ContentOfBytes(buf, want);
    return true;
}

int OpenRegularAt(int dirFd, const char *name, struct stat &st)
{
    return KeepIfRegular(
        OpenNoAtimeAt(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW), st);
}

namespace
{

// Reads the file open as `fd` (closed here) unless it changed since it was listed.
FileContent ReadOpened(int fd, const struct stat &st, int64_t expectSize, uint64_t expectDev,
                       uint64_t expectIno, int openErrno, int *openError)
{
    if (openError)
        *openError = fd < 0 ? openErrno : 0;
    if (fd < 0)
        return FileContent{};
    FileContent c;
    const bool changed =
        (expectSize >= 0 && int64_t(st.st_size) != expectSize) ||
        (expectIno != 0 && (uint64_t(st.st_dev) != expectDev || uint64_t(st.st_ino) != expectIno));
    if (!changed)
        c = ReadContent(fd, int64_t(st.st_size), ReadControl{}, int64_t(st.st_blocks) * 512);
    close(fd);
    return c;
}

} // namespace

FileContent ReadFileContent(const QByteArray &path, bool noFollow, int64_t expectSize, uint64_t expectDev,
                            uint64_t expectIno, int *openError)
{
    struct stat st {
    };
    const int fd = OpenRegular(path, noFollow, st);
    return ReadOpened(fd, st, expectSize, expectDev, expectIno, errno, openError);
}

FileContent ReadFileContentAt(int dirFd, const char *name, int64_t expectSize, uint64_t expectDev,
                              uint64_t expectIno, int *openError)
{
    struct stat st {
    };
    const int fd = OpenRegularAt(dirFd, name, st);
    return ReadOpened(fd, st, expectSize, expectDev, expectIno, errno, openError);
}

int32_t FileChecksum(const QByteArray &path)
{
    return ReadFileContent(path).checksum;
}

} // namespace vs
