// Reading a file's contents for the duplicate engine (shared by the checksum,
// the grouping and the one-file search; not part of the engine's interface).
#pragma once

#include "dupes/engine/DupeHost.h"

#include <QByteArray>
#include <atomic>
#include <cstdint>
#include <sys/stat.h>

namespace vs
{

constexpr int64_t kPrefixBytes = 4096;

struct ReadControl {
    const std::atomic<bool> *cancel = nullptr; // stop between chunks when set
    std::atomic<int64_t> *bytesDone = nullptr; // bytes read so far, all readers
};

// Opens a regular file for reading (O_NOFOLLOW when `noFollow`); -1 for
// anything else. `st` describes the open file.
int OpenRegular(const QByteArray &path, bool noFollow, struct stat &st);
// The same for a name in the folder open as `dirFd`, never following a link.
int OpenRegularAt(int dirFd, const char *name, struct stat &st);

// Checksum and hash of the `size` bytes of `fd`; unreadable when the file is
// shorter, a read fails or the reading is cancelled. `allocated` (the bytes
// the file occupies, -1 when not known) tells whether holes are worth seeking.
FileContent ReadContent(int fd, int64_t size, const ReadControl &control, int64_t allocated = -1);

// Hash of the first min(size, kPrefixBytes) bytes. When the whole file fits,
// `whole` receives its full contents as ReadContent would give them.
bool ReadPrefix(int fd, int64_t size, std::array<uint64_t, 2> &digest, FileContent &whole);

} // namespace vs
