#include "dupes/engine/FileWalk.h"

#include "dupes/engine/OneFileSearch.h"
#include "fs/DirectoryReader.h"
#include "fs/FileOpen.h"
#include "fs/Paths.h"
#include "fs/WorkerPool.h"
#include "util/Errors.h"
#include "util/FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <functional>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace vs
{

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
    // geometrically so that appending stays cheap for any count.
    if (fileCount() >= capacity_)
        capacity_ += kGrowth;
    records.push_back(std::move(r));
}

void FileCollection::trim()
{
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
    return e.type == DT_REG || e.type == DT_UNKNOWN;
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

    // Walks the folder open as `dirFd` (closed here) whose path is `path`
    // (ending in "/").
    void walk(int dirFd, const QByteArray &path)
    {
        QByteArray lastFile;
        try {
            walkOne(dirFd, path, lastFile);
        } catch (const VsError &e) {
            report(e, lastFile);
        } catch (const std::bad_alloc &) {
            report(MakeError(kErrOutOfMemory), lastFile);
        }
        if (dirFd >= 0)
            ::close(dirFd);
    }

  private:
    bool matches(const QByteArray &name) const
    {
        return matchAll_ || ::fnmatch(pattern_.constData(), name.constData(), 0) == 0;
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

    // One folder: read it, the subfolder pass, the file pass, the descent.
    // A folder that cannot be opened (dirFd -1) has empty passes.
    void walkOne(int dirFd, const QByteArray &path, QByteArray &lastFile)
    {
        const int32_t folderSerial = folderSerial_++;
        std::vector<Entry> entries;
        if (dirFd >= 0)
            ReadFolder(reader_, dirFd, entries);
        const std::vector<QByteArray> subfolders = subfolderPass(dirFd, entries);
        if (!filePass(dirFd, path, entries, folderSerial, lastFile))
            return;
        descend(dirFd, path, subfolders);
    }

    // Notes the subfolders, yielding once per entry ("." and ".." too).
    std::vector<QByteArray> subfolderPass(int dirFd, const std::vector<Entry> &entries)
    {
        std::vector<QByteArray> subfolders;
        for (const Entry &e : entries) {
            host_.yield();
            if (IsDotName(e.name.constData()))
                continue;
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
    std::vector<Attributes> queryAhead(int dirFd, const std::vector<Entry> &entries) const
    {
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
    static int AttributesOf(int dirFd, const std::vector<Entry> &entries,
                            const std::vector<Attributes> &ahead, size_t index, struct stat &st)
    {
        if (!ahead.empty() && ahead[index].error >= 0) {
            st = ahead[index].st;
            return ahead[index].error;
        }
        return ::fstatat(dirFd, entries[index].name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ? errno : 0;
    }

    // Every entry that fits the pattern is yielded for and counted; regular
    // files are collected or matched. False when the stop flag ended it.
    bool filePass(int dirFd, const QByteArray &path, const std::vector<Entry> &entries, int32_t folderSerial,
                  QByteArray &lastFile)
    {
        const std::vector<Attributes> ahead = queryAhead(dirFd, entries);
        for (size_t index = 0; index < entries.size(); ++index) {
            const Entry &e = entries[index];
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
            const QByteArray full = path + e.name;
            lastFile = full;
            if (e.type == DT_DIR)
                continue;
            struct stat st {
            };
            bool statted = false;
            if (MayBeFile(e)) {
                if (const int error = AttributesOf(dirFd, entries, ahead, index, st)) {
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
                collect(full, size, st, folderSerial);
            else
                match(full, size, st);
        }
        return true;
    }

    // The subfolders, in the order the folder delivered their names.
    void descend(int dirFd, const QByteArray &path, const std::vector<QByteArray> &subfolders)
    {
        for (const QByteArray &name : subfolders) {
            const int sub = ::openat(dirFd, name.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            walk(sub, path + name + '/');
        }
    }

    void collect(const QByteArray &full, ByteCount size, const struct stat &st, int32_t folder)
    {
        const bool take = host_.useMaxSize() == 0
                              ? size > host_.minSizeBytes()
                              : host_.minSizeBytes() <= size && size <= host_.maxSizeBytes();
        if (!take)
            return;
        FileRecord r;
        r.path = full;
        r.size = size;
        r.dev = uint64_t(st.st_dev);
        r.ino = uint64_t(st.st_ino);
        r.folder = folder;
        files_->append(std::move(r));
    }

    void match(const QByteArray &full, ByteCount size, const struct stat &st)
    {
        if (auto row = MatchStep(host_.chosenFile(), full, size, uint64_t(st.st_dev), uint64_t(st.st_ino)))
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
};

void WalkFrom(DupeHost &host, WalkMode mode, FileCollection *files, QByteArray &path,
              const QByteArray &pattern, int32_t &entryCount, int32_t &folderCount)
{
    RaiseOpenLimit();
    if (!path.endsWith('/'))
        path += '/';
    const int fd = OpenAnyPath(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    Walker(host, mode, files, pattern, entryCount, folderCount).walk(fd, path);
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
