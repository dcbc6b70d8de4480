#include "DupeActions.h"

#include "dupes/engine/FileChecksum.h"
#include "fs/WorkerPool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace vs
{

namespace
{

int64_t MtimeNs(const struct stat &st)
{
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

using InodeKey = std::pair<uint64_t, uint64_t>;

InodeKey KeyOf(const ListedFile &f)
{
    return {f.dev, f.ino};
}

struct InodeHash {
    size_t operator()(const InodeKey &k) const { return size_t(k.first * 0x9E3779B97F4A7C15ull ^ k.second); }
};

// Space freed by removing the rows in `removed`: a file (an inode) counts
// once, and only when every listed link of it goes. Rows whose identity is
// unknown count as files of their own.
ByteCount SpaceOfRemoved(const std::vector<ListedFile> &files, const std::vector<bool> &removed)
{
    std::unordered_map<InodeKey, bool, InodeHash> allGo; // inode -> every listed link removed
    uint64_t bytes = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].identified) {
            if (removed[i])
                bytes += uint64_t(files[i].size.bytes());
            continue;
        }
        auto [it, fresh] = allGo.try_emplace(KeyOf(files[i]), removed[i]);
        if (!fresh)
            it->second = it->second && removed[i];
    }
    std::unordered_set<InodeKey, InodeHash> counted;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].identified && removed[i] && allGo[KeyOf(files[i])] &&
            counted.insert(KeyOf(files[i])).second)
            bytes += uint64_t(files[i].size.bytes());
    return ByteCount::fromBytes(bytes);
}

// Groups in which every row is selected.
std::set<int> WholeGroups(const std::vector<ListedFile> &files, const std::vector<bool> &selected)
{
    std::map<int, bool> all;
    for (size_t i = 0; i < files.size(); ++i) {
        auto [it, fresh] = all.try_emplace(files[i].group, selected[i]);
        if (!fresh)
            it->second = it->second && selected[i];
    }
    std::set<int> out;
    for (const auto &[group, whole] : all)
        if (whole)
            out.insert(group);
    return out;
}

bool InFolder(const QByteArray &path, const QByteArray &folder)
{
    if (folder.isEmpty())
        return false;
    const QByteArray prefix = folder.endsWith('/') ? folder : folder + '/';
    return path.startsWith(prefix);
}

bool StatOf(const QByteArray &path, struct stat &st)
{
    return lstat(path.constData(), &st) == 0;
}

bool ReadOnlyVolume(const QByteArray &path)
{
    struct statvfs vfs;
    return statvfs(path.constData(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
}

// A folder this process may create entries in.
bool Writable(const QByteArray &folder)
{
    return access(folder.constData(), W_OK | X_OK) == 0 && !ReadOnlyVolume(folder);
}

bool IsRealFolder(const QByteArray &path, struct stat &st)
{
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

// The trash a rename of a file on device `dev` can reach, found the way
// QFile::moveToTrash looks for it: on another volume than the home folder,
// $top/.Trash/$uid (with a sticky .Trash) or $top/.Trash-$uid; otherwise, and
// as the last resort, the home trash, which helps only on the same device.
bool TrashReachable(const QByteArray &path, dev_t dev)
{
    const QString source = QFileInfo(QFile::decodeName(path)).absoluteFilePath();
    const QStorageInfo volume(source);
    struct stat st;
    if (volume.isValid() && volume != QStorageInfo(QDir::home())) {
        QByteArray top = QFile::encodeName(volume.rootPath());
        if (!top.endsWith('/'))
            top += '/';
        const QByteArray uid = QByteArray::number(qulonglong(getuid()));
        const QByteArray shared = top + ".Trash";
        if (IsRealFolder(shared, st) && (st.st_mode & S_ISVTX)) {
            const QByteArray own = shared + '/' + uid;
            if (IsRealFolder(own, st) ? Writable(own) && st.st_dev == dev
                                      : !StatOf(own, st) && Writable(shared))
                return true;
        }
        const QByteArray own = top + ".Trash-" + uid;
        if (IsRealFolder(own, st) ? Writable(own) && st.st_dev == dev : !StatOf(own, st) && Writable(top))
            return true;
    }
    const QByteArray data =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (data.isEmpty())
        return false;
    const QByteArray home = data + "/Trash";
    if (IsRealFolder(home, st))
        return st.st_dev == dev && Writable(home);
    return !StatOf(home, st) && IsRealFolder(data, st) && st.st_dev == dev && Writable(data);
}

QByteArray ParentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// Helpers that look at listed files (one per core); lives as long as the process.
WorkerPool &LookingPool()
{
    static WorkerPool *pool = new WorkerPool(WorkerPool::HelpersPerCore());
    return *pool;
}

} // namespace

ListedFile IdentifyRow(const DupeRow &row, int group)
{
    ListedFile f;
    f.path = row.path;
    f.size = row.size;
    f.checksum = row.checksum;
    f.group = group;
    if (row.seen.known()) {
        // Seen when its contents were read, moments ago; whatever is done to
        // it later checks again that it is still that file.
        f.dev = row.seen.dev;
        f.ino = row.seen.ino;
        f.mtimeNs = row.seen.mtimeNs;
        f.identified = true;
        return f;
    }
    struct stat st;
    if (StatOf(row.path, st) && S_ISREG(st.st_mode) && int64_t(st.st_size) == row.size.bytes()) {
        f.dev = uint64_t(st.st_dev);
        f.ino = uint64_t(st.st_ino);
        f.mtimeNs = MtimeNs(st);
        f.identified = true;
    }
    return f;
}

std::vector<ListedFile> IdentifyRows(const std::vector<DupeRow> &rows, bool oneGroup,
                                     const FileCollection *walked, const std::function<void()> &whileWaiting)
{
    // Rows that carry what the reading saw need neither a look nor the walk.
    if (walked && std::all_of(rows.begin(), rows.end(), [](const DupeRow &r) { return r.seen.known(); }))
        walked = nullptr;
    // The walk's record of each listed path (the first one of that path):
    // the rows are looked up, not the whole collection, which is far longer.
    QHash<QByteArray, size_t> firstRow;
    if (walked) {
        firstRow.reserve(qsizetype(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i)
            if (!firstRow.contains(rows[i].path))
                firstRow.insert(rows[i].path, i);
    }
    // Groups alternate their colours, so a group ends where the colour changes.
    std::vector<int> groups(rows.size());
    int group = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || (!oneGroup && rows[i].colour != rows[i - 1].colour))
            ++group;
        groups[i] = group;
    }

    // Slices of the collection and of the rows go to helper threads; the
    // calling thread meanwhile does what `whileWaiting` says (the window
    // repaints). The first record of a path wins, as in one pass in order.
    constexpr size_t kSlice = 512;
    const auto slices = [](size_t n) { return (n + kSlice - 1) / kSlice; };
    const auto runSliced = [&](size_t count, const std::function<void(size_t)> &job) {
        if (count == 0)
            return;
        if (whileWaiting)
            LookingPool().runWhileWaiting(count, job, std::chrono::milliseconds(20), [&whileWaiting] {
                whileWaiting();
                return true;
            });
        else
            LookingPool().run(count, job);
    };
    const size_t none = walked ? walked->records.size() : 0;
    std::vector<std::atomic<size_t>> record(rows.size());
    for (std::atomic<size_t> &r : record)
        r.store(none, std::memory_order_relaxed);
    if (walked) {
        const std::vector<FileRecord> &records = walked->records;
        runSliced(slices(records.size()), [&](size_t s) {
            for (size_t k = s * kSlice; k < std::min(records.size(), (s + 1) * kSlice); ++k) {
                const auto it = firstRow.constFind(records[k].path);
                if (it == firstRow.cend())
                    continue;
                std::atomic<size_t> &slot = record[*it];
                size_t seen = slot.load(std::memory_order_relaxed);
                while (k < seen && !slot.compare_exchange_weak(seen, k, std::memory_order_relaxed))
                    ;
            }
        });
    }
    std::vector<ListedFile> out(rows.size());
    runSliced(slices(rows.size()), [&](size_t s) {
        for (size_t i = s * kSlice; i < std::min(rows.size(), (s + 1) * kSlice); ++i) {
            ListedFile f = IdentifyRow(rows[i], groups[i]);
            const size_t k =
                walked ? record[firstRow.value(rows[i].path)].load(std::memory_order_relaxed) : none;
            const FileRecord *seen = k < none ? &walked->records[k] : nullptr;
            if (seen && seen->dev != 0 && (seen->dev != f.dev || seen->ino != f.ino))
                f.identified = false; // replaced since the walk read it
            out[i] = std::move(f);
        }
    });
    return out;
}

std::vector<std::vector<int>> HardLinkPartners(const std::vector<ListedFile> &files)
{
    // The identified rows by inode, each inode's rows in list order.
    std::vector<std::pair<InodeKey, int>> byInode;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].identified)
            byInode.emplace_back(KeyOf(files[i]), int(i));
    std::sort(byInode.begin(), byInode.end());
    std::vector<std::vector<int>> out(files.size());
    for (size_t a = 0; a < byInode.size();) {
        size_t b = a + 1;
        while (b < byInode.size() && byInode[b].first == byInode[a].first)
            ++b;
        for (size_t i = a; i < b && b - a >= 2; ++i)
            for (size_t j = a; j < b; ++j)
                if (j != i)
                    out[size_t(byInode[i].second)].push_back(byInode[j].second);
        a = b;
    }
    return out;
}

ByteCount ReclaimableSpace(const std::vector<ListedFile> &files)
{
    // All but the first row of every group removed.
    std::vector<bool> removed(files.size());
    std::unordered_set<int> met;
    for (size_t i = 0; i < files.size(); ++i)
        removed[i] = !met.insert(files[i].group).second;
    // A hard link of the kept row goes with it: the file stays.
    std::unordered_set<InodeKey, InodeHash> kept;
    for (size_t i = 0; i < files.size(); ++i)
        if (!removed[i] && files[i].identified)
            kept.insert(KeyOf(files[i]));
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].identified && kept.count(KeyOf(files[i])))
            removed[i] = false;
    return SpaceOfRemoved(files, removed);
}

ByteCount SelectionSpace(const std::vector<ListedFile> &files, const std::vector<bool> &selected)
{
    return PlanMove(files, selected).space;
}

ExtraCopies SelectExtraCopies(const std::vector<ListedFile> &files, KeepRule rule, const QByteArray &folder)
{
    ExtraCopies out;
    out.selected.assign(files.size(), false);
    std::map<int, std::vector<int>> groups; // group -> rows in list order
    for (size_t i = 0; i < files.size(); ++i)
        groups[files[i].group].push_back(int(i));
    for (const auto &[group, rows] : groups) {
        std::vector<int> keep;
        switch (rule) {
        case KeepRule::FirstInGroup:
            keep.push_back(rows.front());
            break;
        case KeepRule::Oldest:
        case KeepRule::Newest: {
            int best = -1;
            for (int r : rows) {
                if (!files[size_t(r)].identified)
                    continue;
                const int64_t t = files[size_t(r)].mtimeNs;
                if (best < 0 || (rule == KeepRule::Oldest ? t < files[size_t(best)].mtimeNs
                                                          : t > files[size_t(best)].mtimeNs))
                    best = r;
            }
            keep.push_back(best < 0 ? rows.front() : best);
            break;
        }
        case KeepRule::InFolder:
            for (int r : rows)
                if (InFolder(files[size_t(r)].path, folder))
                    keep.push_back(r);
            break;
        }
        if (keep.empty()) {
            ++out.groupsWithoutKept;
            continue;
        }
        std::set<InodeKey> keptFiles;
        for (int r : keep)
            if (files[size_t(r)].identified)
                keptFiles.insert(KeyOf(files[size_t(r)]));
        for (int r : rows) {
            const ListedFile &f = files[size_t(r)];
            const bool kept = std::find(keep.begin(), keep.end(), r) != keep.end();
            const bool linkOfKept = f.identified && keptFiles.count(KeyOf(f));
            out.selected[size_t(r)] = !kept && !linkOfKept;
        }
    }
    return out;
}

MovePlan PlanMove(const std::vector<ListedFile> &files, const std::vector<bool> &selected)
{
    MovePlan plan;
    const std::set<int> whole = WholeGroups(files, selected);
    plan.skippedGroups = int(whole.size());
    std::vector<bool> moving(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!selected[i])
            continue;
        if (whole.count(files[i].group)) {
            ++plan.skippedFiles;
        } else {
            moving[i] = true;
            plan.toMove.push_back(int(i));
        }
    }
    plan.space = SpaceOfRemoved(files, moving);
    return plan;
}

QString TrashProblem(const QByteArray &path)
{
    struct stat st;
    if (!StatOf(path, st))
        return QStringLiteral("файл не найден");
    const QByteArray parent = ParentOf(path);
    if (ReadOnlyVolume(parent))
        return QStringLiteral("файловая система только для чтения");
    struct stat ps;
    const uid_t me = geteuid();
    const bool stickyForeign =
        StatOf(parent, ps) && (ps.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && ps.st_uid != me;
    if (access(parent.constData(), W_OK | X_OK) != 0 || stickyForeign)
        return QStringLiteral("нет права изменять папку");
    if (!TrashReachable(path, st.st_dev))
        return QStringLiteral("на этом томе нет корзины");
    return {};
}

MoveReport MoveToTrash(const std::vector<ListedFile> &files, const MovePlan &plan,
                       const std::function<bool()> &keepGoing)
{
    MoveReport report;
    std::vector<bool> moving(files.size()), moved(files.size());
    for (int r : plan.toMove)
        moving[size_t(r)] = true;

    // Per group, the contents of a kept copy, read again once (nullopt: none readable).
    std::map<int, std::optional<FileContent>> keptContent;
    auto contentOfKept = [&](int group) -> const std::optional<FileContent> & {
        auto it = keptContent.find(group);
        if (it != keptContent.end())
            return it->second;
        std::optional<FileContent> found;
        for (size_t i = 0; i < files.size() && !found; ++i) {
            const ListedFile &k = files[i];
            struct stat st;
            if (k.group != group || moving[i] || !k.identified || !StatOf(k.path, st) ||
                uint64_t(st.st_dev) != k.dev || uint64_t(st.st_ino) != k.ino || MtimeNs(st) != k.mtimeNs)
                continue;
            const FileContent c = ReadFileContent(k.path, true, k.size.bytes(), k.dev, k.ino);
            if (c.readable)
                found = c;
        }
        return keptContent.emplace(group, found).first->second;
    };

    auto leave = [&](int row, const QString &why) { report.leftAlone.push_back({row, why}); };
    for (int r : plan.toMove) {
        if (keepGoing && !keepGoing()) {
            report.stopped = true;
            break;
        }
        const ListedFile &f = files[size_t(r)];
        struct stat st;
        if (!f.identified) {
            leave(r, QStringLiteral("файл изменился до конца поиска"));
            continue;
        }
        if (!StatOf(f.path, st)) {
            leave(r, QStringLiteral("файл не найден"));
            continue;
        }
        if (!S_ISREG(st.st_mode) || uint64_t(st.st_dev) != f.dev || uint64_t(st.st_ino) != f.ino) {
            leave(r, QStringLiteral("файл заменён другим"));
            continue;
        }
        if (int64_t(st.st_size) != f.size.bytes() || MtimeNs(st) != f.mtimeNs) {
            leave(r, QStringLiteral("файл изменён после поиска"));
            continue;
        }
        const std::optional<FileContent> &kept = contentOfKept(f.group);
        if (!kept) {
            leave(r, QStringLiteral("не удалось прочитать оставляемую копию"));
            continue;
        }
        const FileContent now = ReadFileContent(f.path, true, f.size.bytes(), f.dev, f.ino);
        if (!now.readable) {
            leave(r, QStringLiteral("файл не удалось прочитать"));
            continue;
        }
        if (!now.sameAs(*kept)) {
            leave(r, QStringLiteral("содержимое отличается от оставляемой копии"));
            continue;
        }
        // The trash takes a name; a name that does not survive decoding could
        // point at another file.
        const QString name = QFile::decodeName(f.path);
        if (QFile::encodeName(name) != f.path) {
            leave(r, QStringLiteral("имя файла нельзя передать корзине"));
            continue;
        }
        const QString problem = TrashProblem(f.path);
        if (!problem.isEmpty()) {
            leave(r, problem);
            continue;
        }
        QFile file(name);
        if (!file.moveToTrash()) {
            leave(r, QStringLiteral("корзина не приняла файл: ") + file.errorString());
            continue;
        }
        moved[size_t(r)] = true;
        report.moved.push_back(r);
    }
    report.freed = SpaceOfRemoved(files, moved);
    return report;
}

} // namespace vs
