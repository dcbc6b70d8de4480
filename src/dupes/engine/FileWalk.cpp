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
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <functional>
#include <new>
#include <sys/stat.h>
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

enum class WalkMode {
    Collect, // the tree scan: files in the size range go into a FileCollection
    Match,   // the one-file search: files go through MatchStep
};

struct Entry {
    QByteArray name;
    unsigned char type;
    bool fenced = false; // a mount point the walk must not touch
};

// Reads a whole folder once, "." and ".." included, in the order the file
// system delivers it. A read that fails ends the folder there.
void ReadFolder(DirectoryReader &reader, int dirFd, std::vector<Entry> &out)
{
    reader.start(dirFd);
    DirEntry d;
    while (reader.next(d))
        out.push_back({QByteArray(d.name), d.type});
}

bool MayBeFile(const Entry &e)
{
    return !e.fenced && (e.type == DT_REG || e.type == DT_UNKNOWN);
}

bool TooManyOpen(int err)
{
    return err == EMFILE || err == ENFILE;
}

// Helpers that query the attributes of a folder's files ahead of the file
// pass, which then takes them in order: the queries are most of the walk's
// cost, and the results are used exactly as if made one by one.
WorkerPool &AttributePool()
{
    static WorkerPool *pool =
        new WorkerPool(WorkerPool::HelpersBesideCaller(3)); // lives as long as the process
    return *pool;
}

struct Attributes {
    int error = -1; // -1 not queried yet, 0 queried, else errno
    struct stat st {
    };
};

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

// Both walks, with explicit state instead of recursion: a folder is read,
// gone through in a subfolder pass and a file pass, and its subfolders are
// then walked one after another in the order the folder delivered them,
// each opened relative to its parent. The folders on the way down are kept
// in a FolderTrail, so the depth costs neither stack nor descriptors.
class Walker
{
  public:
    Walker(DupeHost &host, WalkMode mode, FileCollection *files, const QByteArray &pattern,
           int32_t &entryCount, int32_t &folderCount)
        : host_(host), mode_(mode), files_(files), pattern_(pattern), entryCount_(entryCount),
          folderCount_(folderCount), reader_(DirectoryReader::Dots::Deliver)
    {
        matchAll_ = pattern == "*.*" || pattern == "*" || pattern.isEmpty();
    }

    // Walks the tree at `root` (ending in "/").
    void run(const QByteArray &root)
    {
        path_ = root;
        const int fd = OpenAnyPath(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        const int openError = errno;
        bool opened = fd >= 0 && trail_.start(fd);
        if (opened)
            fence_ = MountFence::ForWalk(AbsoluteRoot(root), trail_.dev());
        visit(opened, opened ? 0 : openError);
        while (!frames_.empty()) {
            Frame &top = frames_.back();
            path_.truncate(top.pathLength);
            if (top.next == top.subfolders.size()) {
                frames_.pop_back();
                trail_.leave();
                continue;
            }
            const QByteArray &name = top.subfolders[top.next++];
            path_ += name;
            path_ += '/';
            opened = trail_.enter(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
            visit(opened, opened ? 0 : errno);
        }
    }

  private:
    // A folder whose subfolders are still to be walked.
    struct Frame {
        std::vector<QByteArray> subfolders;
        size_t next = 0;
        qsizetype pathLength = 0; // of its path, "/" included
    };

    bool matches(const QByteArray &name) const
    {
        return matchAll_ || ::fnmatch(pattern_.constData(), name.constData(), 0) == 0;
    }

    bool fenced(const char *name) const
    {
        return !fence_.empty() && fence_.fenced(trail_.dev(), trail_.ino(), name);
    }

    void report(const VsError &e, const QByteArray &lastFile)
    {
        const QString number = QString::number(e.number);
        host_.showError(e.number, number + e.description + QLatin1Char('\r') + DisplayPath(lastFile), number);
    }

    static bool Ignored(int number)
    {
        return number == kErrInvalidCall || number == kErrBadFileName || number == kErrFileNotFound ||
               number == kErrPathAccess;
    }

    // The folder at path_, just entered (the trail's deepest level) when
    // `opened`: read it, the subfolder pass, the file pass; its subfolders
    // are left on the frame stack. A folder that cannot be opened has empty
    // passes; only the descriptor limit is worth a word then.
    void visit(bool opened, int openError)
    {
        const int32_t folderSerial = folderSerial_++;
        if (!opened) {
            if (TooManyOpen(openError))
                report(ErrorFromErrno(openError, false), path_.left(path_.size() - 1));
            return;
        }
        const int dirFd = trail_.fd();
        lastFile_ = -1;
        std::vector<QByteArray> subfolders;
        bool goOn = false;
        try {
            entries_.clear();
            ReadFolder(reader_, dirFd, entries_);
            subfolders = subfolderPass(dirFd);
            goOn = filePass(dirFd, folderSerial);
        } catch (const VsError &e) {
            report(e, lastFile());
        } catch (const std::bad_alloc &) {
            report(MakeError(kErrOutOfMemory), lastFile());
        }
        if (goOn && !subfolders.empty())
            frames_.push_back(Frame{std::move(subfolders), 0, path_.size()});
        else
            trail_.leave();
    }

    QByteArray lastFile() const
    {
        return lastFile_ < 0 ? QByteArray() : path_ + entries_[size_t(lastFile_)].name;
    }

    // Notes the subfolders, yielding once per entry ("." and ".." too).
    std::vector<QByteArray> subfolderPass(int dirFd)
    {
        std::vector<QByteArray> subfolders;
        for (Entry &e : entries_) {
            host_.yield();
            if (IsDotName(e.name.constData()))
                continue;
            if (fenced(e.name.constData())) {
                e.fenced = true;
                continue;
            }
            bool isDir;
            if (e.type != DT_UNKNOWN) {
                isDir = e.type == DT_DIR;
            } else {
                struct stat st {
                };
                // A failed query has every attribute bit set, the directory bit too.
                isDir = ::fstatat(dirFd, e.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                        S_ISDIR(st.st_mode);
            }
            if (isDir) {
                if (int(subfolders.size()) >= kMaxSubfolders)
                    throw MakeError(kErrOverflow);
                subfolders.push_back(e.name);
                ++folderCount_;
            }
        }
        return subfolders;
    }

    // The attributes of the folder's candidate files, queried on the pool
    // when there are enough of them to be worth it (empty otherwise).
    std::vector<Attributes> queryAhead(int dirFd) const
    {
        const std::vector<Entry> &entries = entries_;
        std::vector<Attributes> ahead;
        size_t wanted = 0;
        for (const Entry &e : entries)
            wanted += MayBeFile(e) && matches(e.name);
        if (wanted < kAheadFrom)
            return ahead;
        ahead.resize(entries.size());
        AttributePool().run(entries.size(), [&](size_t i) {
            const Entry &e = entries[i];
            if (MayBeFile(e) && !IsDotName(e.name.constData()) && matches(e.name))
                ahead[i].error =
                    ::fstatat(dirFd, e.name.constData(), &ahead[i].st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
        });
        return ahead;
    }

    // The attributes of entry `index`, from the pool's queries when made;
    // 0 or the errno of the query.
    int attributesOf(int dirFd, const std::vector<Attributes> &ahead, size_t index, struct stat &st) const
    {
        if (!ahead.empty() && ahead[index].error >= 0) {
            st = ahead[index].st;
            return ahead[index].error;
        }
        return ::fstatat(dirFd, entries_[index].name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ? errno : 0;
    }

    // Every entry that fits the pattern is yielded for and counted; regular
    // files are collected or matched. False when the stop flag ended it.
    bool filePass(int dirFd, int32_t folderSerial)
    {
        const std::vector<Attributes> ahead = queryAhead(dirFd);
        for (size_t index = 0; index < entries_.size(); ++index) {
            const Entry &e = entries_[index];
            if (!matches(e.name))
                continue;
            if (mode_ == WalkMode::Collect && !host_.scanRunning())
                return false;
            host_.yield();
            if (IsDotName(e.name.constData()))
                continue;
            ++entryCount_;
            if (mode_ == WalkMode::Match && entryCount_ % 103 == 0)
                host_.stepPicture(entryCount_ % 17 + 1);
            lastFile_ = qsizetype(index);
            if (e.type == DT_DIR || e.fenced)
                continue;
            struct stat st {
            };
            bool statted = false;
            if (MayBeFile(e)) {
                if (const int error = attributesOf(dirFd, ahead, index, st)) {
                    const VsError err = ErrorFromErrno(error, true);
                    if (Ignored(err.number))
                        continue; // a file that vanished or cannot be named adds nothing
                    throw err;
                }
                statted = true;
                if (S_ISDIR(st.st_mode))
                    continue;
            }
            if (mode_ == WalkMode::Match && !host_.scanRunning())
                return false;
            if (!statted || !S_ISREG(st.st_mode))
                continue; // links, FIFOs, sockets, devices: never read
            const ByteCount size = ByteCount::fromBytes(uint64_t(st.st_size));
            if (mode_ == WalkMode::Collect)
                collect(e.name, size, st, folderSerial);
            else
                match(dirFd, e.name, size, st);
        }
        return true;
    }

    void collect(const QByteArray &name, ByteCount size, const struct stat &st, int32_t folder)
    {
        const bool take = host_.useMaxSize() == 0
                              ? size > host_.minSizeBytes()
                              : host_.minSizeBytes() <= size && size <= host_.maxSizeBytes();
        if (!take)
            return;
        FileRecord r;
        // Exactly the room the path needs: a scan may keep millions of them.
        r.path.reserve(path_.size() + name.size());
        r.path.append(path_).append(name);
        r.size = size;
        r.dev = uint64_t(st.st_dev);
        r.ino = uint64_t(st.st_ino);
        r.folder = folder;
        files_->append(std::move(r));
    }

    void match(int dirFd, const QByteArray &name, ByteCount size, const struct stat &st)
    {
        // The file is read relative to its folder: its whole path may be
        // far longer than the kernel resolves in one call.
        if (auto row = MatchStep(host_.chosenFile(), path_ + name, size, uint64_t(st.st_dev),
                                 uint64_t(st.st_ino), dirFd, name.constData()))
            host_.addRow(*row);
    }

    DupeHost &host_;
    const WalkMode mode_;
    FileCollection *files_; // Collect only
    QByteArray pattern_;
    bool matchAll_ = true;
    int32_t &entryCount_;
    int32_t &folderCount_;
    int32_t folderSerial_ = 0;
    DirectoryReader reader_; // one buffer for the whole walk: a folder is read before its subfolders
    FolderTrail trail_;
    MountFence fence_;
    std::vector<Frame> frames_;
    QByteArray path_;            // of the folder at hand, ending in "/"
    std::vector<Entry> entries_; // of the folder at hand
    qsizetype lastFile_ = -1;    // its entry the file pass reached last
};

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
    Walker(host, mode, files, pattern, entryCount, folderCount).run(path);
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
