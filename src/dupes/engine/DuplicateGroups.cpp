#include "dupes/engine/DuplicateGroups.h"

#include "dupes/engine/ContentReader.h"
#include "dupes/engine/FileChecksum.h"
#include "dupes/engine/FolderTrail.h"
#include "fs/FileOpen.h"
#include "fs/Paths.h"
#include "fs/WorkerPool.h"
#include "util/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

namespace vs
{

bool SizeGreater(ByteCount a, ByteCount b)
{
    return a.scaled() > b.scaled();
}

void SortBySize(FileCollection &files)
{
    // The gaps run over a light array of keys and positions; the records
    // are put in the resulting order once at the end.
    std::vector<FileRecord> &r = files.records;
    const int lb = 0;
    const int ub = int(r.size()) - 1;
    const int n = ub - lb + 1;
    if (n <= 0)
        return;
    struct Key {
        ByteCount size;
        int index;
    };
    std::vector<Key> k(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        k[size_t(i)] = {r[size_t(i)].size, i};
    int h = 0;
    while (h <= n)
        h = 3 * h + 1;
    do {
        h /= 3;
        for (int i = lb + h; i <= ub; ++i) {
            const Key aside = k[size_t(i)];
            int j = i;
            while (SizeGreater(k[size_t(j - h)].size, aside.size)) {
                k[size_t(j)] = k[size_t(j - h)];
                j -= h;
                if (j - h < lb)
                    break;
            }
            k[size_t(j)] = aside;
        }
    } while (h != 1);
    // In place, cycle by cycle, rather than into a second collection: the
    // records are most of the memory a scan takes. A key whose index is -1
    // has its record in place already.
    for (int start = 0; start < n; ++start) {
        if (k[size_t(start)].index < 0 || k[size_t(start)].index == start)
            continue;
        FileRecord aside = std::move(r[size_t(start)]);
        int to = start;
        for (;;) {
            const int from = k[size_t(to)].index;
            k[size_t(to)].index = -1;
            if (from == start) {
                r[size_t(to)] = std::move(aside);
                break;
            }
            r[size_t(to)] = std::move(r[size_t(from)]);
            to = from;
        }
    }
}

namespace
{

constexpr int kFewUnits = 4;
constexpr int64_t kSmallFile = 64 * 1024;
constexpr unsigned kDiskHelpers = 16;
// Files in the probe (the first batch), and the sleeps on them that show
// the disk at work (from the page cache there are none).
constexpr size_t kProbeFiles = 8;
constexpr long kDiskSleeps = 3;

using Digest = std::array<uint64_t, 2>;
struct DigestHash {
    size_t operator()(const Digest &d) const { return size_t(d[0] ^ (d[1] * 0x9E3779B97F4A7C15ull)); }
};

// One inode among the files that share a size with another collected file:
// hard links are read once through it.
struct Unit {
    int64_t size = 0;
    int firstRecord = 0;  // its device and inode are that record's
    int folderLength = 0; // of the first record's path, up to its last "/"
    int paths = 0;
    bool prefixRead = false;
    bool contentRead = false;
    bool pending = false; // scheduled but not finished (left so by a stop)
    bool wholeAtOnce = false;
    int64_t mtimeNs = 0; // when its contents were read
    std::array<uint64_t, 2> prefix{};
    FileContent content;
};

struct Run {
    int begin, end; // records [begin, end)
    int firstUnit, endUnit;
};

// Opens the folders of candidates whose paths are too long for the kernel
// to resolve in one call. The batches come in walk order, so going from one
// folder to the next is a few steps up and down a FolderTrail rather than a
// walk from the root for each: reading a deep tree stays linear in its depth.
class DeepFolders
{
  public:
    // A new path descriptor of `folder` (ending in "/"); -1 with errno set.
    int open(const QByteArray &folder)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const QByteArray base = folder.startsWith('/') ? QByteArrayLiteral("/") : QByteArray();
        if (trail_.depth() == 0 || !at_.startsWith(base) || ends_.front() != base.size()) {
            const int fd = ::open(base.isEmpty() ? "." : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0 || !trail_.start(fd))
                return -1;
            ends_.assign(1, base.size());
            at_ = base;
        }
        qsizetype same = 0;
        const qsizetype most = std::min(at_.size(), folder.size());
        while (same < most && at_[same] == folder[same])
            ++same;
        while (ends_.size() > 1 && ends_.back() > same) {
            trail_.leave();
            ends_.pop_back();
        }
        int error = 0;
        for (qsizetype pos = ends_.back(); pos < folder.size();) {
            qsizetype slash = folder.indexOf('/', pos);
            if (slash < 0)
                slash = folder.size();
            if (slash == pos) {
                ends_.back() = ++pos; // "//" names the same folder
                continue;
            }
            if (!trail_.enter(folder.mid(pos, slash - pos).constData(), O_PATH)) {
                error = errno;
                break;
            }
            pos = std::min(slash + 1, folder.size());
            ends_.push_back(pos);
        }
        at_ = folder.left(ends_.back());
        if (error == 0 && trail_.fd() < 0)
            error = trail_.reopenError() ? trail_.reopenError() : ENOENT;
        if (error != 0) {
            errno = error;
            return -1;
        }
        return ::fcntl(trail_.fd(), F_DUPFD_CLOEXEC, 0);
    }

  private:
    std::mutex mutex_;
    FolderTrail trail_{16};
    QByteArray at_;               // the folder the trail is in
    std::vector<qsizetype> ends_; // where each level's name ends in at_
};

// What the reading stages share: the host to tell of progress, the wish to
// stop, the bytes read so far, the opener of deep folders, and the first
// file or folder that could not be opened because too many files were open.
struct Reading {
    DupeHost *host = nullptr;
    const ReadingSetup *setup = nullptr;
    std::atomic<bool> cancel{false};
    std::atomic<int64_t> bytesDone{0};
    DeepFolders deepFolders;
    // When the host last heard of the progress: it hears of it again once
    // the interval has passed, however the stages fall.
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
    bool probed = false;   // the first jobs have shown where the files come from
    bool fromDisk = false; // and it was the disk
    std::mutex tooManyMutex;
    int tooManyError = 0;
    QByteArray tooManyPath;

    // From a long step of the calling thread (the grouping before and after
    // the reading), every `kPaceEvery` items: the host hears of the progress
    // as the interval says, so that the window keeps repainting. False once
    // a stop was asked for.
    static constexpr size_t kPaceEvery = 4096;
    bool pace()
    {
        const std::chrono::milliseconds interval = setup ? setup->interval : std::chrono::milliseconds(10);
        const auto now = std::chrono::steady_clock::now();
        if (!host || interval.count() == 0 || now - lastProgress < interval || cancel.load())
            return !cancel.load();
        lastProgress = now;
        if (!host->contentProgress(bytesDone.load(), 0)) {
            cancel.store(true);
            if (setup && setup->stopped)
                setup->stopped();
        }
        return !cancel.load();
    }

    void noteOpenError(int error, const QByteArray &path)
    {
        if (error != EMFILE && error != ENFILE)
            return;
        std::lock_guard<std::mutex> lock(tooManyMutex);
        if (tooManyError == 0) {
            tooManyError = error;
            tooManyPath = path;
        }
    }

    int openFolder(const QByteArray &folder)
    {
        if (folder.size() < PATH_MAX)
            return OpenAnyPath(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
        return deepFolders.open(folder);
    }
};

// Files read from the page cache keep one helper per core busy; files read
// from the disk keep helpers waiting, and many requests in flight shorten
// the wait. Both pools live as long as the process.
WorkerPool &ReadingPool(bool fromDisk)
{
    static WorkerPool *cores = new WorkerPool(WorkerPool::HelpersPerCore());
    if (!fromDisk)
        return *cores;
    static WorkerPool *disk = new WorkerPool(std::max(WorkerPool::HelpersPerCore(), kDiskHelpers));
    return *disk;
}

// Voluntary context switches of the calling thread so far: reading a file
// that is not in the page cache puts the thread to sleep.
long Sleeps()
{
    rusage u{};
    return ::getrusage(RUSAGE_THREAD, &u) == 0 ? u.ru_nvcsw : 0;
}

// Runs `count` jobs on the pool's helpers; the calling thread only reports
// progress to the host and passes on its wish to stop, from the first job
// on. The first job of a search is a probe run alone: when its helper slept
// on it, the files come from the disk and the disk pool takes the rest.
void RunJobs(size_t count, const std::function<void(size_t)> &job, Reading &reading, int64_t bytesTotal)
{
    if (count == 0 || reading.cancel.load())
        return;
    const ReadingSetup *setup = reading.setup;
    const std::chrono::milliseconds interval = setup ? setup->interval : std::chrono::milliseconds(10);
    std::function<bool()> progress;
    if (reading.host) {
        progress = [&reading, bytesTotal, interval] {
            const auto now = std::chrono::steady_clock::now();
            if (now - reading.lastProgress < interval)
                return true;
            reading.lastProgress = now;
            if (reading.host->contentProgress(reading.bytesDone.load(), bytesTotal))
                return true;
            reading.cancel.store(true);
            if (reading.setup && reading.setup->stopped)
                reading.setup->stopped();
            return false;
        };
    }
    // The caller looks more often than the host hears, so that a stage that
    // began late in an interval does not stretch it.
    const std::chrono::milliseconds look = std::min(interval, std::chrono::milliseconds(10));
    size_t first = 0;
    if (!reading.probed) {
        reading.probed = true;
        long sleeps = 0;
        const std::function<void(size_t)> probe = [&job, &sleeps](size_t) {
            const long before = Sleeps(); // of the thread that runs it
            job(0);
            sleeps = Sleeps() - before;
        };
        (setup && setup->pool ? *setup->pool : ReadingPool(false)).runWhileWaiting(1, probe, look, progress);
        first = 1;
        reading.fromDisk = sleeps >= kDiskSleeps;
        if (count == 1 || reading.cancel.load())
            return;
    }
    const std::function<void(size_t)> rest = [&job, first](size_t k) { job(first + k); };
    WorkerPool &pool = setup && setup->pool ? *setup->pool : ReadingPool(reading.fromDisk);
    pool.runWhileWaiting(count - first, first == 0 ? job : rest, look, progress);
}

// Jobs of one folder go together, so that each folder is looked up once and
// its files are opened relative to it rather than by their whole path.
struct Batch {
    size_t begin, end;
};

std::vector<Batch> BatchByFolder(std::vector<int> &jobs, const std::vector<Unit> &units,
                                 const std::vector<FileRecord> &r)
{
    auto folder = [&](int unit) {
        const Unit &u = units[size_t(unit)];
        return QByteArrayView(r[size_t(u.firstRecord)].path.constData(), u.folderLength);
    };
    auto serial = [&](int unit) { return r[size_t(units[size_t(unit)].firstRecord)].folder; };
    // By folder serial, jobs of one folder in their order. The jobs come in
    // ascending order and the serials are small numbers: counted into place,
    // which is what sorting the pairs would give, in linear time.
    if (std::is_sorted(jobs.begin(), jobs.end())) {
        int32_t most = -1;
        for (int j : jobs)
            most = std::max(most, serial(j));
        std::vector<size_t> start(size_t(most) + 3, 0);
        for (int j : jobs)
            ++start[size_t(serial(j) + 2)];
        for (size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        std::vector<int> sorted(jobs.size());
        for (int j : jobs)
            sorted[start[size_t(serial(j) + 1)]++] = j;
        jobs.swap(sorted);
    } else {
        std::vector<std::pair<int32_t, int>> keyed;
        keyed.reserve(jobs.size());
        for (int j : jobs)
            keyed.emplace_back(serial(j), j);
        std::sort(keyed.begin(), keyed.end());
        for (size_t i = 0; i < jobs.size(); ++i)
            jobs[i] = keyed[i].second;
    }
    std::vector<Batch> batches;
    for (size_t i = 0; i < jobs.size();) {
        size_t j = i + 1;
        while (j < jobs.size() && j - i < 64 && serial(jobs[j]) == serial(jobs[i]) &&
               folder(jobs[j]) == folder(jobs[i]))
            ++j;
        batches.push_back({i, j});
        i = j;
    }
    return batches;
}

// Runs `perUnit(unit, fd, allocated)` for every job of the batch whose file
// can still be opened as the one the walk saw (fd -1 otherwise).
template <typename PerUnit>
void ForBatch(const Batch &b, const std::vector<int> &jobs, std::vector<Unit> &units,
              const std::vector<FileRecord> &r, bool readsWhole, Reading &reading, PerUnit &&perUnit)
{
    const Unit &head = units[size_t(jobs[b.begin])];
    const QByteArray &first = r[size_t(head.firstRecord)].path;
    const qsizetype cut = head.folderLength;
    const QByteArray folder = first.left(cut);
    const int dir = reading.openFolder(folder);
    if (dir < 0)
        reading.noteOpenError(errno, folder.left(std::max<qsizetype>(1, cut - 1)));
    for (size_t k = b.begin; k < b.end; ++k) {
        // A stop leaves the rest of the batch unopened (and its sizes unlisted).
        if (reading.cancel.load(std::memory_order_relaxed))
            break;
        Unit &u = units[size_t(jobs[k])];
        const bool check = readsWhole || u.wholeAtOnce || u.size <= kPrefixBytes;
        struct stat st {
        };
        const char *name = r[size_t(u.firstRecord)].path.constData() + cut;
        int fd = dir < 0 ? -1
                 : check
                     ? OpenRegularAt(dir, name, st)
                     : OpenNoAtimeAt(dir, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
        if (dir >= 0 && fd < 0)
            reading.noteOpenError(errno, r[size_t(u.firstRecord)].path);
        if (fd >= 0 && reading.setup && reading.setup->opened)
            reading.setup->opened(r[size_t(u.firstRecord)].path);
        // The file must still be the one the walk saw. (A first block only
        // sorts out files; whatever is listed is checked when read whole.)
        const FileRecord &seen = r[size_t(u.firstRecord)];
        if (fd >= 0 && check &&
            (int64_t(st.st_size) != u.size || uint64_t(st.st_dev) != seen.dev ||
             uint64_t(st.st_ino) != seen.ino)) {
            ::close(fd);
            fd = -1;
        }
        if (fd >= 0 && check)
            u.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        perUnit(u, fd, int64_t(st.st_blocks) * 512);
        if (fd >= 0)
            ::close(fd);
    }
    if (dir >= 0)
        ::close(dir);
}

// What the stages know about the collection: the runs of equal size with
// two or more entries, their inodes, and the inode of each record (-1 for
// records in no run).
struct Candidates {
    std::vector<Run> runs;
    std::vector<Unit> units;
    std::vector<int> unitOf;
};

// Stage 1: the runs of equal size in the sorted collection that have at
// least two entries, each with its inodes (hard links share one).
Candidates GroupBySize(const std::vector<FileRecord> &r, Reading &reading)
{
    Candidates c;
    struct InodeOf {
        uint64_t dev, ino;
        int record;
        bool operator<(const InodeOf &o) const
        {
            return dev != o.dev ? dev < o.dev : ino != o.ino ? ino < o.ino : record < o.record;
        }
    };
    std::vector<InodeOf> keys;
    std::vector<int> firstOf;
    const int count = int(r.size());
    c.unitOf.assign(size_t(count), -1);
    int paced = 0;
    for (int begin = 0; begin < count;) {
        if (begin - paced >= int(Reading::kPaceEvery)) {
            paced = begin;
            if (!reading.pace())
                break; // nothing is read after a stop: the sizes left are not needed
        }
        int end = begin + 1;
        while (end < count && r[size_t(end)].size == r[size_t(begin)].size)
            ++end;
        if (end - begin >= 2) {
            Run run{begin, end, int(c.units.size()), 0};
            // Hard links share an inode: sorted by it, each record finds the
            // first record of its inode; units are numbered in record order.
            keys.clear();
            for (int i = begin; i < end; ++i) {
                const FileRecord &rec = r[size_t(i)];
                // An entry without a known inode is an inode of its own.
                keys.push_back(rec.ino != 0 ? InodeOf{rec.dev, rec.ino, i}
                                            : InodeOf{~uint64_t(0), uint64_t(i), i});
            }
            std::sort(keys.begin(), keys.end());
            firstOf.resize(size_t(end - begin));
            for (size_t a = 0; a < keys.size();) {
                size_t b = a + 1;
                while (b < keys.size() && keys[b].dev == keys[a].dev && keys[b].ino == keys[a].ino)
                    ++b;
                for (size_t k = a; k < b; ++k)
                    firstOf[size_t(keys[k].record - begin)] = keys[a].record;
                a = b;
            }
            for (int i = begin; i < end; ++i) {
                const int first = firstOf[size_t(i - begin)];
                if (first == i) {
                    const FileRecord &rec = r[size_t(i)];
                    Unit u;
                    u.size = rec.size.bytes();
                    u.firstRecord = i;
                    const void *slash = memrchr(rec.path.constData(), '/', size_t(rec.path.size()));
                    u.folderLength =
                        slash ? int(static_cast<const char *>(slash) - rec.path.constData()) + 1 : 0;
                    c.unitOf[size_t(i)] = int(c.units.size());
                    c.units.push_back(u);
                } else {
                    c.unitOf[size_t(i)] = c.unitOf[size_t(first)];
                }
                ++c.units[size_t(c.unitOf[size_t(i)])].paths;
            }
            run.endUnit = int(c.units.size());
            c.runs.push_back(run);
        }
        begin = end;
    }
    return c;
}

// Stage 2: the opening block of every inode that shares its size with
// another inode. For small files that is all of it, for the rest it usually
// tells them apart without reading further.
void ReadFirstBlocks(Candidates &c, const std::vector<FileRecord> &r, Reading &reading)
{
    std::vector<Unit> &units = c.units;
    std::vector<int> jobs;
    int64_t total = 0;
    for (const Run &run : c.runs) {
        if (run.endUnit - run.firstUnit < 2)
            continue;
        // A few small files of one size are usually copies, and reading one
        // whole costs about what opening it twice does: read them at once.
        const bool whole =
            run.endUnit - run.firstUnit <= kFewUnits && units[size_t(run.firstUnit)].size <= kSmallFile;
        for (int u = run.firstUnit; u < run.endUnit; ++u) {
            Unit &unit = units[size_t(u)];
            jobs.push_back(u);
            unit.pending = true;
            unit.wholeAtOnce = whole;
            total += whole ? unit.size : std::min<int64_t>(unit.size, kPrefixBytes);
        }
    }
    std::vector<Batch> batches = BatchByFolder(jobs, units, r);
    if (!batches.empty() && batches[0].end - batches[0].begin > kProbeFiles) {
        // A short probe, so that the right pool takes the rest soon.
        const Batch head{batches[0].begin, batches[0].begin + kProbeFiles};
        batches[0].begin = head.end;
        batches.insert(batches.begin(), head);
    }
    std::atomic<int64_t> &bytesDone = reading.bytesDone;
    std::atomic<bool> &cancel = reading.cancel;
    const ReadControl control{&cancel, nullptr};
    RunJobs(
        batches.size(),
        [&](size_t k) {
            ForBatch(batches[k], jobs, units, r, false, reading, [&](Unit &u, int fd, int64_t allocated) {
                if (u.wholeAtOnce) {
                    if (fd >= 0)
                        u.content = ReadContent(fd, u.size, control, allocated);
                    // Cut short by a stop: the size stays unlisted.
                    if (cancel.load(std::memory_order_relaxed))
                        return;
                    u.contentRead = true;
                    bytesDone.fetch_add(u.size, std::memory_order_relaxed);
                } else if (fd >= 0) {
                    FileContent whole;
                    u.prefixRead = ReadPrefix(fd, u.size, u.prefix, whole);
                    if (u.prefixRead && u.size <= kPrefixBytes) {
                        u.content = whole;
                        u.contentRead = true;
                    }
                }
                if (!u.wholeAtOnce)
                    bytesDone.fetch_add(std::min<int64_t>(u.size, kPrefixBytes), std::memory_order_relaxed);
                u.pending = false;
            });
        },
        reading, total);
}

// Stage 3: whole contents, only where the opening block leaves a doubt (or
// where hard links make one inode a group of its own).
void ReadWholeWhereInDoubt(Candidates &c, const std::vector<FileRecord> &r, Reading &reading)
{
    std::vector<Unit> &units = c.units;
    std::vector<int> jobs;
    int64_t total = 0;
    reading.bytesDone = 0;
    std::unordered_map<Digest, int, DigestHash> prefixCount;
    size_t paced = 0;
    for (const Run &run : c.runs) {
        if (size_t(run.firstUnit) - paced >= Reading::kPaceEvery) {
            paced = size_t(run.firstUnit);
            reading.pace();
        }
        prefixCount.clear();
        for (int a = run.firstUnit; a < run.endUnit; ++a)
            if (units[size_t(a)].prefixRead)
                ++prefixCount[units[size_t(a)].prefix];
        for (int a = run.firstUnit; a < run.endUnit; ++a) {
            Unit &u = units[size_t(a)];
            if (u.contentRead || u.pending)
                continue;
            const bool doubt = u.paths >= 2 || (u.prefixRead && prefixCount[u.prefix] >= 2);
            if (doubt) {
                jobs.push_back(a);
                u.pending = true;
                total += u.size;
            }
        }
    }
    const ReadControl control{&reading.cancel, &reading.bytesDone};
    std::atomic<bool> &cancel = reading.cancel;
    const std::vector<Batch> batches = BatchByFolder(jobs, units, r);
    RunJobs(
        batches.size(),
        [&](size_t k) {
            ForBatch(batches[k], jobs, units, r, true, reading, [&](Unit &u, int fd, int64_t allocated) {
                if (cancel.load(std::memory_order_relaxed))
                    return;
                if (fd >= 0)
                    u.content = ReadContent(fd, u.size, control, allocated);
                if (!cancel.load(std::memory_order_relaxed)) {
                    u.contentRead = true;
                    u.pending = false;
                }
            });
        },
        reading, total);
}

// Stage 4a: each record gets the checksum of its inode's contents.
void GiveRecordsTheirChecksums(const Candidates &c, std::vector<FileRecord> &r)
{
    for (size_t i = 0; i < r.size(); ++i) {
        const int u = c.unitOf[i];
        if (u >= 0 && c.units[size_t(u)].contentRead)
            r[i].checksum = c.units[size_t(u)].content.checksum;
    }
}

// The contents read for record `i`; null when they were not read.
const FileContent *ContentOf(const Candidates &c, int i)
{
    const int u = c.unitOf[size_t(i)];
    return u >= 0 && c.units[size_t(u)].contentRead ? &c.units[size_t(u)].content : nullptr;
}

// Stage 4b: the groups of equal contents, in the order of their first member
// in the sorted collection, members in that order too, colours alternating
// from cyan. A size that a stop left half read claims nothing; unreadable
// files stay alone.
std::vector<DupeRow> EmitGroups(const Candidates &c, const std::vector<FileRecord> &r, Reading &reading)
{
    std::vector<std::pair<int, uint32_t>> listed; // record and colour of each row
    bool colourToggle = false;
    std::vector<char> grouped(r.size(), 0);
    std::vector<int> members;
    std::unordered_map<Digest, std::vector<int>, DigestHash> byContent;
    int paced = 0;
    for (const Run &run : c.runs) {
        // All is read by now: a stop asked for meanwhile lists it all.
        if (run.begin - paced >= int(Reading::kPaceEvery)) {
            paced = run.begin;
            reading.pace();
        }
        bool stopped = false;
        for (int u = run.firstUnit; u < run.endUnit; ++u)
            stopped = stopped || c.units[size_t(u)].pending;
        if (stopped)
            continue;
        // Members of each content, in sorted order.
        byContent.clear();
        for (int b = run.begin; b < run.end; ++b) {
            const FileContent *content = ContentOf(c, b);
            if (content && content->readable)
                byContent[content->digest].push_back(b);
        }
        for (int a = run.begin; a < run.end - 1; ++a) {
            if (grouped[size_t(a)])
                continue;
            grouped[size_t(a)] = 1;
            members.assign(1, a);
            const FileContent *first = ContentOf(c, a);
            if (first && first->readable) {
                for (int b : byContent[first->digest]) {
                    if (b > a && !grouped[size_t(b)] && first->sameAs(*ContentOf(c, b))) {
                        grouped[size_t(b)] = 1;
                        members.push_back(b);
                    }
                }
            }
            if (members.size() < 2)
                continue;
            uint32_t colour;
            if (colourToggle) {
                colour = kDupeYellow;
                colourToggle = false;
            } else {
                colourToggle = true;
                colour = kDupeCyan;
            }
            for (int m : members)
                listed.push_back({m, colour});
        }
    }
    // The rows in one allocation of their exact size: with millions of
    // rows, growing the list step by step would hold two copies at once.
    std::vector<DupeRow> rows;
    rows.reserve(listed.size());
    for (const auto &[m, colour] : listed) {
        const FileRecord &rec = r[size_t(m)];
        DupeRow row{rec.path, rec.size, rec.checksum, colour, QString(), {}};
        // Read whole through this path or a hard link of it, as the same
        // inode the walk saw: that is the file listed.
        row.seen = {rec.dev, rec.ino, c.units[size_t(c.unitOf[size_t(m)])].mtimeNs};
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

std::vector<DupeRow> ListDuplicateGroups(FileCollection &files, DupeHost *host)
{
    return ListDuplicateGroups(files, host, ReadingSetup{});
}

std::vector<DupeRow> ListDuplicateGroups(FileCollection &files, DupeHost *host, const ReadingSetup &setup)
{
    std::vector<FileRecord> &r = files.records;
    if (r.empty())
        return {};
    Reading reading;
    reading.host = host;
    reading.setup = &setup;
    Candidates candidates = GroupBySize(r, reading);
    ReadFirstBlocks(candidates, r, reading);
    ReadWholeWhereInDoubt(candidates, r, reading);
    if (host && reading.tooManyError != 0) {
        // Files left unread for want of descriptors would silently be no
        // one's copies: say so, once, as the walk says its errors.
        const VsError e = ErrorFromErrno(reading.tooManyError, true);
        const QString number = QString::number(e.number);
        host->showError(
            e.number, number + e.description + QLatin1Char('\r') + DisplayPath(reading.tooManyPath), number);
    }
    GiveRecordsTheirChecksums(candidates, r);
    return EmitGroups(candidates, r, reading);
}

} // namespace vs
