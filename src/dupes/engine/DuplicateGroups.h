// Grouping of the collected files into duplicate groups.
//
// The collection is Shell-sorted by size (SortBySize); ListDuplicateGroups
// then goes through four stages:
//   1. group by size: runs of equal size with two or more entries, each with
//      its inodes (hard links are read once);
//   2. first blocks: the first 4 KiB of every inode that shares its size
//      with another (up to four files of 64 KiB or less sharing a size are
//      read whole at once);
//   3. whole contents, only where the first block leaves a doubt;
//   4. confirm and emit: files are in one group only when their contents are
//      equal (equal size, checksum and content hash); groups are listed in
//      the order of their first member in the sorted collection, in
//      alternating colours (cyan first).
#pragma once

#include "dupes/engine/DupeHost.h"
#include "dupes/engine/FileWalk.h"

#include <chrono>
#include <functional>
#include <vector>

namespace vs
{

// a > b, as the stored 64-bit values.
bool SizeGreater(ByteCount a, ByteCount b);

// Shell sort (gaps 1, 4, 13, 40, ...) of entries 1..fileCount by size; the
// order of equal sizes is the one these gaps produce (not the walk order).
void SortBySize(FileCollection &files);

// Reads what must be read (with worker threads; the host only hears
// contentProgress on this thread) and returns the rows of every group of two
// or more, in list order. Requires a sorted collection; empty for none.
std::vector<DupeRow> ListDuplicateGroups(FileCollection &files, DupeHost *host = nullptr);

class WorkerPool;

// How the contents are read. The program's own: its reading pools, progress
// every 10 ms. A pool without helpers and a zero interval read one batch of
// files (one folder's, at most 64) after the other on the calling thread,
// with a progress call after each one but the last of a stage: a stop then
// lands between two known batches.
struct ReadingSetup {
    WorkerPool *pool = nullptr;
    std::chrono::milliseconds interval{10};
    // Told of each file opened for reading, on the thread that opened it.
    std::function<void(const QByteArray &path)> opened;
    // Told on the calling thread once a stop has reached the readers.
    std::function<void()> stopped;
};
std::vector<DupeRow> ListDuplicateGroups(FileCollection &files, DupeHost *host, const ReadingSetup &setup);

} // namespace vs
