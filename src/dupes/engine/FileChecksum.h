// The file checksum shown in the CRC column: the 32-bit image checksum
// (16-bit one's-complement sum of the file, less the checksum field an
// executable image stores in its own header, plus the file length). It is
// computed in one pass with wide additions; holes of sparse files are skipped.
// The same pass also hashes the whole contents (128 bits) so that equal
// checksums can be told apart from equal contents.
#pragma once

#include "dupes/engine/DupeHost.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace vs
{

// The checksum of the file at `path` (links followed); 0 when it cannot be
// opened or read, and 0 for an empty file.
int32_t FileChecksum(const QByteArray &path);

// Checksum and content hash of the file at `path` in one read. With
// O_NOFOLLOW semantics when `noFollow`. When `expectSize` >= 0 the file must
// still have that size and, with `expectIno`, that identity, or it counts as
// unreadable (it changed since it was listed). `openError`, when given,
// receives the errno of an open that failed (0 otherwise).
FileContent ReadFileContent(const QByteArray &path, bool noFollow = false, int64_t expectSize = -1,
                            uint64_t expectDev = 0, uint64_t expectIno = 0, int *openError = nullptr);
// The same for `name` in the folder open as `dirFd`, never following a link.
FileContent ReadFileContentAt(int dirFd, const char *name, int64_t expectSize, uint64_t expectDev,
                              uint64_t expectIno, int *openError = nullptr);

// The checksum and the content hash of bytes in memory (a whole file).
int32_t ChecksumOfBytes(const char *data, size_t size);
FileContent ContentOfBytes(const char *data, size_t size);

// The checksum field an image stores in its header, when `data` holds an
// image (false otherwise).
bool StoredImageChecksum(const char *data, size_t size, uint32_t &stored);

} // namespace vs
