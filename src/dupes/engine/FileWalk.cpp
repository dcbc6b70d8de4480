#include "dupes/engine/FileWalk.h"

#include "dupes/engine/FolderTrail.h"
#include "dupes/engine/OneFileSearch.h"
#include "fs/DirectoryReader.h"
#include "fs/FileOpen.h"
#include "fs/MountFence.h"
#include "fs/Paths.h"
#include "fs/WorkerPool.h"
#include "util/Errors.h"
#include "util/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vs
{

static_assert(sizeof(void *) != 8 || sizeof(FileRecord) <= 56, "a collected file must stay small");

void FileCollection::reset()
{
    records.clear();
    records.shrink_to_fit();
    capacity_ = kGrowth;
    records.reserve(size_t(capacity_));
}

void FileCollection::append(FileRecord r)
{
    // The room is counted in steps of 10,000; the storage under it grows
    // geometrically so that appending stays cheap for any count, but by an
    // eighth rather than the library's double: while it grows, the old and
    // the new storage are both there.
    if (fileCount() >= capacity_)
        capacity_ += kGrowth;
    if (records.size() == records.capacity())
        records.reserve(records.size() + std::max<size_t>(size_t(kGrowth), records.size() / 8));
    records.push_back(std::move(r));
}

void FileCollection::trim()
{
    if (records.capacity() - records.size() > records.size() / 8)
        records.shrink_to_fit();
    capacity_ = fileCount();
}

QByteArray StripNulls(QByteArray &text)
{
    const qsizetype k = text.indexOf('\0');
    if (k >= 0)
        text.truncate(k);
    return text;
}

bool IsFileFound(const QByteArray &path)
{
    const QByteArray p = path.trimmed();
    if (p.isEmpty())
        return false;
    const int fd = OpenAnyPath(p, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

namespace
{

constexpr int kMaxSubfolders = 32767; // the subfolder list counts in 16 bits
constexpr size_t kAheadFrom = 32;     // fewer files are queried one by one

// How far the collecting walk's lister may run ahead of the file passes:
// listings of at most this many entries and folders wait to be taken (one
// folder more, however large, so that any folder gets through).
constexpr size_t kEntriesAhead = 1 << 14;
constexpr size_t kFoldersAhead = 4096;

enum class WalkMode {
    Collect, // the tree scan: files in the size range go into a FileCollection
    Match,   // the one-file search: files go through MatchStep
};

bool TooManyOpen(int err)
{
    return err == EMFILE || err == ENFILE;
}

// Errors of the file pass that leave a file out silently.
bool Ignored(int number)
{
    return number == kErrInvalidCall || number == kErrBadFileName || number == kErrFileNotFound ||
           number == kErrPathAccess;
}

// Helpers that query the attributes of a folder's entries while it is
// listed: the queries are most of the walk's cost, and the results are used
// exactly as if made one by one.
WorkerPool &AttributePool()
{
    static WorkerPool *pool =
        new WorkerPool(WorkerPool::HelpersBesideCaller(3)); // lives as long as the process
    return *pool;
}

// The absolute form of a walk's root, for the mount table.
QByteArray AbsoluteRoot(const QByteArray &path)
{
    QByteArray p = path;
    if (!p.startsWith('/')) {
        QByteArray cwd(PATH_MAX, '\0');
        while (!::getcwd(cwd.data(), size_t(cwd.size())) && errno == ERANGE)
            cwd.resize(cwd.size() * 2);
        p = QByteArray(cwd.constData()) + '/' + p;
    }
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p;
}

class Pattern
{
  public:
    explicit Pattern(const QByteArray &pattern)
        : pattern_(pattern), all_(pattern == "*.*" || pattern == "*" || pattern.isEmpty())
    {
    }
    bool matches(const char *name) const { return all_ || ::fnmatch(pattern_.constData(), name, 0) == 0; }

  private:
    QByteArray pattern_;
    bool all_;
};

// One directory entry as both passes need it: its name, its type, whether it
// is a fenced mount point, the subfolder pass's verdict and, for a possible
// file the file pass looks at, its own attributes (lstat).
struct Listed {
    uint32_t nameAt = 0; // into FolderListing::names, NUL-terminated
    uint32_t nameLength = 0;
    unsigned char type = DT_UNKNOWN;
    bool fenced = false;
    bool isDir = false;
    int error = -1; // attributes: -1 not queried, 0 queried, else the errno
    mode_t mode = 0;
    int64_t size = 0;
    uint64_t dev = 0, ino = 0;
};

// A folder as read once: its entries in delivery order ("." and ".."
// included) with what the passes need. A folder that could not be opened
// has none.
struct FolderListing {
    QByteArray name; // its own name in its parent (empty for the root)
    int32_t depth = 0;
    int32_t serial = 0; // in the order listed
    bool opened = true;
    int openError = 0;
    bool outOfMemory = false;
    bool descended = false; // the lister went on into its subfolders
    std::vector<Listed> entries;
    std::string names;

    const char *nameOf(const Listed &e) const { return names.data() + e.nameAt; }
};

bool MayBeFile(const Listed &e)
{
    return !e.fenced && (e.type == DT_REG || e.type == DT_UNKNOWN);
}

void Query(int dirFd, const char *name, Listed &e)
{
    struct stat st {
    };
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        e.error = errno;
        if (e.type == DT_UNKNOWN)
            e.isDir = true; // a failed query has every attribute bit set, the directory bit too
        return;
    }
    e.error = 0;
    e.mode = st.st_mode;
    e.size = int64_t(st.st_size);
    e.dev = uint64_t(st.st_dev);
    e.ino = uint64_t(st.st_ino);
    if (e.type == DT_UNKNOWN)
        e.isDir = S_ISDIR(st.st_mode);
}

// Reads the folder open as `dirFd` (identity dev, ino) whole and queries
// the attributes the passes will ask for: of entries of unknown type, and of
// regular files that fit the pattern. Fenced mount points are never touched.
// A set `cancel` leaves the remaining queries undone.
void ListFolder(DirectoryReader &reader, int dirFd, dev_t dev, ino_t ino, const MountFence &fence,
                const Pattern &pattern, FolderListing &out, const std::atomic<bool> &cancel)
{
    reader.start(dirFd);
    DirEntry d;
    while (reader.next(d)) {
        Listed e;
        e.nameAt = uint32_t(out.names.size());
        e.nameLength = uint32_t(std::strlen(d.name));
        e.type = d.type;
        out.names.append(d.name, e.nameLength + 1);
        out.entries.push_back(e);
    }
    size_t wanted = 0;
    for (Listed &e : out.entries) {
        const char *name = out.nameOf(e);
        if (IsDotName(name))
            continue;
        if (!fence.empty() && fence.fenced(dev, ino, name)) {
            e.fenced = true;
            continue;
        }
        e.isDir = e.type == DT_DIR;
        if (e.type == DT_UNKNOWN || (e.type == DT_REG && pattern.matches(name))) {
            e.error = -2; // to be queried
            ++wanted;
        }
    }
    auto job = [&](size_t i) {
        Listed &e = out.entries[i];
        if (e.error == -2 && !cancel.load(std::memory_order_relaxed))
            Query(dirFd, out.nameOf(e), e);
    };
    if (wanted >= kAheadFrom)
        AttributePool().run(out.entries.size(), job);
    else
        for (size_t i = 0; i < out.entries.size() && wanted > 0; ++i)
            job(i);
}

// The tree below a root, folder by folder in the walk's order: a folder is
// listed, handed to `visit`, which says which of its subfolders to go into,
// and those are then walked one after another in the order the folder
// delivered them, each opened relative to its parent. The folders on the way
// down are kept in a FolderTrail, so the depth costs neither stack nor
// descriptors.
class TreeLister
{
  public:
    // Gets the listing (it may move it away) and gives the names of the
    // subfolders to go into (none: go on with the next folder).
    using Visit = std::function<std::vector<QByteArray>(std::unique_ptr<FolderListing> &)>;

    explicit TreeLister(const Pattern &pattern) : pattern_(pattern), reader_(DirectoryReader::Dots::Deliver)
    {
    }

    // Opens the root (ending in "/") and fences the mount points below it.
    void open(const QByteArray &root)
    {
        const int fd = OpenAnyPath(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        const int openError = errno;
        rootOpened_ = fd >= 0 && trail_.start(fd);
        rootError_ = rootOpened_ ? 0 : openError;
        if (rootOpened_)
            fence_ = MountFence::ForWalk(AbsoluteRoot(root), trail_.dev());
    }

    // Walks from the opened root until done, cancelled, or told to drop the
    // subfolders still to come of a folder (by its serial) through `prune`.
    void run(const Visit &visit, const std::atomic<bool> &cancel, const std::atomic<int32_t> *prune = nullptr)
    {
        list(rootOpened_, rootError_, QByteArray(), 0, visit, cancel);
        int32_t pruned = -1;
        while (!frames_.empty() && !cancel.load(std::memory_order_relaxed)) {
            if (prune) {
                const int32_t p = prune->load(std::memory_order_acquire);
                if (p != pruned) {
                    pruned = p;
                    drop(p);
                    continue;
                }
            }
            Frame &top = frames_.back();
            if (top.next == top.subfolders.size()) {
                frames_.pop_back();
                trail_.leave();
                continue;
            }
            const QByteArray name = top.subfolders[top.next++];
            const int32_t depth = top.depth + 1;
            const bool opened = trail_.enter(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
            list(opened, opened ? 0 : errno, name, depth, visit, cancel);
        }
    }

    // The folder listed last (for the matching walk, which reads files in it).
    int fd() const { return trail_.fd(); }

  private:
    struct Frame {
        std::vector<QByteArray> subfolders;
        size_t next = 0;
        int32_t serial = 0;
        int32_t depth = 0;
    };

    void list(bool opened, int openError, const QByteArray &name, int32_t depth, const Visit &visit,
              const std::atomic<bool> &cancel)
    {
        auto l = std::make_unique<FolderListing>();
        l->name = name;
        l->depth = depth;
        l->serial = serial_++;
        l->opened = opened;
        l->openError = openError;
        if (opened) {
            try {
                ListFolder(reader_, trail_.fd(), trail_.dev(), trail_.ino(), fence_, pattern_, *l, cancel);
            } catch (const std::bad_alloc &) {
                l->entries.clear();
                l->outOfMemory = true;
            }
        }
        const int32_t serial = l->serial;
        std::vector<QByteArray> subfolders = visit(l);
        if (!opened)
            return; // nothing was entered
        if (subfolders.empty())
            trail_.leave();
        else
            frames_.push_back(Frame{std::move(subfolders), 0, serial, depth});
    }

    // Leaves the folder with serial `serial` and all below it, when it is
    // still on the way down.
    void drop(int32_t serial)
    {
        size_t k = frames_.size();
        while (k > 0 && frames_[k - 1].serial > serial)
            --k;
        if (k == 0 || frames_[k - 1].serial != serial)
            return;
        while (frames_.size() >= k) {
            frames_.pop_back();
            trail_.leave();
        }
    }

    const Pattern &pattern_;
    DirectoryReader reader_; // one buffer for the whole walk: a folder is read before its subfolders
    FolderTrail trail_;
    MountFence fence_;
    bool rootOpened_ = false;
    int rootError_ = 0;
    int32_t serial_ = 0;
    std::vector<Frame> frames_;
};

// The two passes over a listed folder, on the caller's thread: everything the
// host sees (yields, stop checks, counters, the size range, error boxes and
// the collection) happens here, in the same order for both walks.
class FolderPasses
{
  public:
    FolderPasses(DupeHost &host, WalkMode mode, FileCollection *files, const Pattern &pattern,
                 const QByteArray &root, int32_t &entryCount, int32_t &folderCount)
        : host_(host), mode_(mode), files_(files), pattern_(pattern), root_(root), entryCount_(entryCount),
          folderCount_(folderCount)
    {
    }

    // The folder `l`: the subfolder pass and the file pass. True when its
    // subfolders are to be walked now; their indices are left in
    // `subfolders`. `dirFd` is the folder, open (matching walk only).
    bool visit(const FolderListing &l, int dirFd, std::vector<uint32_t> &subfolders)
    {
        const int32_t folderSerial = folderSerial_++;
        enter(l);
        subfolders.clear();
        if (!l.opened) {
            // A folder that cannot be opened has empty passes; only the
            // descriptor limit is worth a word then.
            if (TooManyOpen(l.openError))
                report(ErrorFromErrno(l.openError, false), path_.left(path_.size() - 1));
            return false;
        }
        listing_ = &l;
        lastFile_ = -1;
        bool goOn = false;
        try {
            if (l.outOfMemory)
                throw std::bad_alloc();
            subfolderPass(l, subfolders);
            goOn = filePass(l, dirFd, folderSerial);
        } catch (const VsError &e) {
            report(e, lastFile());
        } catch (const std::bad_alloc &) {
            report(MakeError(kErrOutOfMemory), lastFile());
        }
        return goOn && !subfolders.empty();
    }

    // The collecting walk's file pass has met the stop.
    bool stopped() const { return stopped_; }

  private:
    // path_ becomes the folder's path, ending in "/".
    void enter(const FolderListing &l)
    {
        const size_t depth = size_t(l.depth);
        if (depth == 0) {
            path_ = root_;
        } else {
            path_.truncate(pathLengths_[depth - 1]);
            path_ += l.name;
            path_ += '/';
        }
        pathLengths_.resize(depth + 1);
        pathLengths_[depth] = path_.size();
    }

    void report(const VsError &e, const QByteArray &lastFile)
    {
        const QString number = QString::number(e.number);
        host_.showError(e.number, number + e.description + QLatin1Char('\r') + DisplayPath(lastFile), number);
    }

    QByteArray lastFile() const
    {
        if (lastFile_ < 0)
            return QByteArray();
        const Listed &e = listing_->entries[size_t(lastFile_)];
        return path_ + QByteArray(listing_->nameOf(e), qsizetype(e.nameLength));
    }

    // Notes the subfolders, yielding once per entry ("." and ".." too).
    void subfolderPass(const FolderListing &l, std::vector<uint32_t> &subfolders)
    {
        for (size_t i = 0; i < l.entries.size(); ++i) {
            host_.yield();
            const Listed &e = l.entries[i];
            if (IsDotName(l.nameOf(e)) || e.fenced || !e.isDir)
                continue;
            if (int(subfolders.size()) >= kMaxSubfolders)
                throw MakeError(kErrOverflow);
            subfolders.push_back(uint32_t(i));
            ++folderCount_;
        }
    }

    // Every entry that fits the pattern is yielded for and counted; regular
    // files are collected or matched. False when the stop flag ended it.
    bool filePass(const FolderListing &l, int dirFd, int32_t folderSerial)
    {
        for (size_t index = 0; index < l.entries.size(); ++index) {
            const Listed &e = l.entries[index];
            const char *name = l.nameOf(e);
            if (!pattern_.matches(name))
                continue;
            if (mode_ == WalkMode::Collect && !host_.scanRunning()) {
                stopped_ = true;
                return false;
            }
            host_.yield();
            if (IsDotName(name))
                continue;
            ++entryCount_;
            if (mode_ == WalkMode::Match && entryCount_ % 103 == 0)
                host_.stepPicture(entryCount_ % 17 + 1);
            lastFile_ = qsizetype(index);
            if (e.type == DT_DIR || e.fenced)
                continue;
            bool regular = false;
            if (MayBeFile(e)) {
                if (e.error > 0) {
                    const VsError err = ErrorFromErrno(e.error, true);
                    if (Ignored(err.number))
                        continue; // a file that vanished or cannot be named adds nothing
                    throw err;
                }
                if (e.error < 0 || S_ISDIR(e.mode))
                    continue;
                regular = S_ISREG(e.mode);
            }
            if (mode_ == WalkMode::Match && !host_.scanRunning())
                return false;
            if (!regular)
                continue; // links, FIFOs, sockets, devices: never read
            const ByteCount size = ByteCount::fromBytes(uint64_t(e.size));
            if (mode_ == WalkMode::Collect)
                collect(name, e.nameLength, size, e, folderSerial);
            else
                match(dirFd, name, e.nameLength, size, e);
        }
        return true;
    }

    void collect(const char *name, uint32_t nameLength, ByteCount size, const Listed &e, int32_t folder)
    {
        const bool take = host_.useMaxSize() == 0
                              ? size > host_.minSizeBytes()
                              : host_.minSizeBytes() <= size && size <= host_.maxSizeBytes();
        if (!take)
            return;
        FileRecord r;
        // Exactly the room the path needs: a scan may keep millions of them.
        r.path.reserve(path_.size() + qsizetype(nameLength));
        r.path.append(path_).append(name, qsizetype(nameLength));
        r.size = size;
        r.dev = e.dev;
        r.ino = e.ino;
        r.folder = folder;
        files_->append(std::move(r));
    }

    void match(int dirFd, const char *name, uint32_t nameLength, ByteCount size, const Listed &e)
    {
        // The file is read relative to its folder: its whole path may be
        // far longer than the kernel resolves in one call.
        if (auto row = MatchStep(host_.chosenFile(), path_ + QByteArray(name, qsizetype(nameLength)), size,
                                 e.dev, e.ino, dirFd, name))
            host_.addRow(*row);
    }

    DupeHost &host_;
    const WalkMode mode_;
    FileCollection *files_; // Collect only
    const Pattern &pattern_;
    const QByteArray root_;
    int32_t &entryCount_;
    int32_t &folderCount_;
    int32_t folderSerial_ = 0;
    QByteArray path_; // of the folder at hand, ending in "/"
    std::vector<qsizetype> pathLengths_;
    const FolderListing *listing_ = nullptr; // the folder at hand
    qsizetype lastFile_ = -1;                // its entry the file pass reached last
    bool stopped_ = false;
};

// What the lister foresees of the passes over `l`: whether they go into its
// subfolders. The passes end a folder early only at too many subfolders, at
// a file whose attributes cannot be queried for a reason worth a box, or at
// the stop, which is checked at each entry that fits the pattern; once the
// passes have met it (`stopSeen`), only folders without such an entry are
// gone into, and the lister stops reading ahead into the others.
bool PassesGoOn(const FolderListing &l, const Pattern &pattern, bool stopSeen,
                std::vector<QByteArray> &subfolders)
{
    if (!l.opened || l.outOfMemory)
        return false;
    for (const Listed &e : l.entries) {
        const char *name = l.nameOf(e);
        if (IsDotName(name) || e.fenced || !e.isDir)
            continue;
        if (int(subfolders.size()) >= kMaxSubfolders)
            return false;
        subfolders.emplace_back(name, qsizetype(e.nameLength));
    }
    if (subfolders.empty())
        return false;
    for (const Listed &e : l.entries) {
        const char *name = l.nameOf(e);
        if (!pattern.matches(name))
            continue;
        if (stopSeen)
            return false;
        if (e.error <= 0 || e.type == DT_DIR || !MayBeFile(e) || IsDotName(name))
            continue;
        if (!Ignored(ErrnoToNumber(e.error, true)))
            return false;
    }
    return true;
}

// The listings of the collecting walk on their way from the lister's thread
// to the caller's, in the walk's order: at most kEntriesAhead entries and
// kFoldersAhead folders wait here, and as many again may be in the caller's
// hands.
class ListingQueue
{
  public:
    // The lister: false when the walk was cancelled meanwhile.
    bool put(std::unique_ptr<FolderListing> l)
    {
        std::unique_lock lock(mutex_);
        auto room = [&] {
            return cancelled_ || items_.empty() ||
                   (entries_ + l->entries.size() <= kEntriesAhead && items_.size() < kFoldersAhead);
        };
        if (!room()) {
            listerWaiting_ = true;
            given_.notify_one();
            roomMade_.wait(lock, room);
            listerWaiting_ = false;
        }
        if (cancelled_)
            return false;
        entries_ += l->entries.size();
        items_.push_back(std::move(l));
        if ((takerWaiting_ && items_.size() == 1) || enough())
            given_.notify_one();
        return true;
    }
    void finish()
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        given_.notify_one();
    }
    // The caller: the listings ready now, in order (appended to `out`);
    // false at the end. Waking the caller costs more than a small folder's
    // passes, so it waits a little for a few of them to gather.
    bool take(std::deque<std::unique_ptr<FolderListing>> &out)
    {
        std::unique_lock lock(mutex_);
        takerWaiting_ = true;
        given_.wait(lock, [&] { return finished_ || !items_.empty(); });
        takerWaiting_ = false;
        given_.wait_for(lock, std::chrono::milliseconds(2),
                        [&] { return finished_ || listerWaiting_ || enough(); });
        if (items_.empty())
            return false;
        for (std::unique_ptr<FolderListing> &l : items_)
            out.push_back(std::move(l));
        items_.clear();
        entries_ = 0;
        roomMade_.notify_one();
        return true;
    }
    void cancel()
    {
        cancelFlag.store(true, std::memory_order_relaxed);
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        roomMade_.notify_one();
    }

    std::atomic<bool> cancelFlag{false};
    std::atomic<int32_t> prune{-1};
    std::atomic<bool> stopSeen{false};

  private:
    bool enough() const { return entries_ >= kEntriesAhead / 16 || items_.size() >= 64; }

    std::mutex mutex_;
    std::condition_variable given_, roomMade_;
    std::deque<std::unique_ptr<FolderListing>> items_;
    size_t entries_ = 0;
    bool finished_ = false;
    bool cancelled_ = false;
    bool takerWaiting_ = false;
    bool listerWaiting_ = false;
};

// A walk on the caller's thread alone: each folder is listed just before its
// passes (the matching walk, which reads files in the folder at hand).
void WalkHere(FolderPasses &passes, TreeLister &lister)
{
    const std::atomic<bool> never{false};
    std::vector<uint32_t> subfolders;
    lister.run(
        [&](std::unique_ptr<FolderListing> &l) {
            std::vector<QByteArray> names;
            if (passes.visit(*l, lister.fd(), subfolders)) {
                names.reserve(subfolders.size());
                for (const uint32_t i : subfolders)
                    names.emplace_back(l->nameOf(l->entries[i]), qsizetype(l->entries[i].nameLength));
            }
            return names;
        },
        never);
}

// The collecting walk: a helper thread lists the folders (directory reading
// and attribute queries, the bulk of the cost) ahead of the caller, which
// makes the passes over them in order. The lister goes into every folder the
// passes will go into; when the passes end one early (a stop), the lister is
// told to drop that folder's subfolders and the caller skips those of them
// already listed. The helper is cancelled and joined before this returns.
void CollectAhead(FolderPasses &passes, const Pattern &pattern, const QByteArray &root)
{
    TreeLister lister(pattern);
    lister.open(root);
    ListingQueue queue;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                lister.run(
                    [&](std::unique_ptr<FolderListing> &l) {
                        std::vector<QByteArray> subfolders;
                        l->descended = PassesGoOn(*l, pattern, queue.stopSeen.load(std::memory_order_relaxed),
                                                  subfolders);
                        if (!l->descended)
                            subfolders.clear();
                        if (!queue.put(std::move(l)))
                            subfolders.clear();
                        return subfolders;
                    },
                    queue.cancelFlag, &queue.prune);
            } catch (...) {
                // Out of memory on the way: the walk ends with what was listed.
            }
            queue.finish();
        });
    } catch (const std::system_error &) {
        WalkHere(passes, lister); // no thread to be had: list each folder just before its passes
        return;
    }
    struct Joiner {
        ListingQueue &queue;
        std::thread &helper;
        ~Joiner()
        {
            queue.cancel();
            helper.join();
        }
    } joiner{queue, helper};

    std::vector<uint32_t> subfolders;
    int32_t skipBelow = -1; // listings deeper than this belong to a folder the passes left
    std::deque<std::unique_ptr<FolderListing>> ready;
    while (!ready.empty() || queue.take(ready)) {
        const std::unique_ptr<FolderListing> l = std::move(ready.front());
        ready.pop_front();
        if (skipBelow >= 0 && l->depth > skipBelow)
            continue;
        skipBelow = -1;
        const bool goOn = passes.visit(*l, -1, subfolders);
        if (passes.stopped())
            queue.stopSeen.store(true, std::memory_order_relaxed);
        // (The reverse, passes going on where the lister did not, would need
        // the stop flag to come back on within one walk, which it never does.)
        if (l->descended && !goOn) {
            skipBelow = l->depth;
            queue.prune.store(l->serial, std::memory_order_release);
        }
    }
}

void WalkFrom(DupeHost &host, WalkMode mode, FileCollection *files, QByteArray &path,
              const QByteArray &pattern, int32_t &entryCount, int32_t &folderCount)
{
    RaiseOpenLimit();
    if (path.isEmpty()) {
        // No folder named at all: never taken for the current one or for "/".
        const VsError e = MakeError(kErrPathNotFound);
        const QString number = QString::number(e.number);
        host.showError(e.number, number + e.description + QLatin1Char('\r'), number);
        return;
    }
    if (!path.endsWith('/'))
        path += '/';
    const Pattern fits(pattern);
    FolderPasses passes(host, mode, files, fits, path, entryCount, folderCount);
    if (mode == WalkMode::Collect) {
        CollectAhead(passes, fits, path);
    } else {
        TreeLister lister(fits);
        lister.open(path);
        WalkHere(passes, lister);
    }
}

} // namespace

void FindFilesAPI_all(DupeHost &host, FileCollection &files, QByteArray &path, const QByteArray &pattern,
                      int32_t &entryCount, int32_t &folderCount)
{
    WalkFrom(host, WalkMode::Collect, &files, path, pattern, entryCount, folderCount);
}

void FindFilesAPI(DupeHost &host, QByteArray &path, const QByteArray &pattern, int32_t &entryCount,
                  int32_t &folderCount)
{
    WalkFrom(host, WalkMode::Match, nullptr, path, pattern, entryCount, folderCount);
}

} // namespace vs
