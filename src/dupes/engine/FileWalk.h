// The two recursive folder walks of the duplicate finder.
//
// Each folder is read once (relative to its parent's open descriptor, so
// paths longer than PATH_MAX still work) and then gone through twice: a
// subfolder pass that notes the subfolders, a file pass that handles the
// files, then the subfolders are walked in the order the directory delivered
// them. Entries are judged by their own attributes (lstat): symbolic links
// are never followed, and only regular files are collected or matched.
// The host is yielded to once per entry of each pass, always on the caller's
// thread. The collecting walk reads folders and queries attributes on a
// helper thread a bounded distance ahead of the passes; the helper is joined
// before the walk returns.
#pragma once

#include "dupes/engine/DupeHost.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace vs
{

// One collected file: 56 bytes besides its path's text, since a scan may
// collect millions. The checksum is filled in only for files that can be in
// a group (see DuplicateGroups.h); the rest are never read. Their contents
// live with the grouping, per inode, only while it runs.
struct FileRecord {
    QByteArray path; // folder path (ending in "/") followed by the name
    ByteCount size;
    uint64_t dev = 0, ino = 0;
    int32_t checksum = 0;
    int32_t folder = -1; // serial number of its folder in the walk (-1: unknown)
};

// The collection the tree scan fills: entries 1..fileCount live in
// records[0..fileCount-1]. Room is made 10,000 entries at a time (counted
// so; the storage under it grows by an eighth at a time, which keeps the
// moment of growing from doubling the collection's memory).
class FileCollection
{
  public:
    static constexpr int32_t kGrowth = 10000;

    // Empties the collection and makes room for the first 10,000 entries.
    void reset();
    int32_t fileCount() const { return int32_t(records.size()); }
    int32_t fileCapacity() const { return capacity_; }
    // Appends one entry, growing the room by 10,000 when it is full.
    void append(FileRecord r);
    // Shrinks the room to the entries in use (the storage only when more
    // than an eighth of it is spare: moving it costs a second copy).
    void trim();

    std::vector<FileRecord> records;

  private:
    int32_t capacity_ = 0;
};

// The collecting walk: every regular file of the tree whose size passes the
// host's range is appended to `files` (path and size; nothing is read).
// `path` gets a trailing "/" when it has none; `pattern` is "*.*" for all.
void FindFilesAPI_all(DupeHost &host, FileCollection &files, QByteArray &path, const QByteArray &pattern,
                      int32_t &entryCount, int32_t &folderCount);

// The matching walk: every regular file of the tree goes through MatchStep
// against host.chosenFile(); matches are handed to host.addRow().
void FindFilesAPI(DupeHost &host, QByteArray &path, const QByteArray &pattern, int32_t &entryCount,
                  int32_t &folderCount);

// The part of `text` before its first NUL; `text` itself is cut to it.
QByteArray StripNulls(QByteArray &text);

// True when something (file, folder, link, anything) exists at the path after
// trimming blanks; never shows a message.
bool IsFileFound(const QByteArray &path);

} // namespace vs
