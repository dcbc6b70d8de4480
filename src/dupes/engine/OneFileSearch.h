// The search for copies of one chosen file: taking the file (its checksum,
// contents, size and full path) and the match step the matching walk makes
// for every file of the tree.
#pragma once

#include "dupes/engine/DupeHost.h"

#include <QByteArray>
#include <optional>

namespace vs
{

// Contents of the file at `path` (links followed), for the chosen file's
// checksum; never fails (an unreadable file gives checksum 0).
FileContent ChosenFileContent(const QByteArray &path);

// The absolute, tidied form of `path` ("." and ".." and doubled "/" removed,
// links not resolved); throws VsError 53 when it names no regular file.
QByteArray ChosenFullPath(const QByteArray &path);

// Takes the file at `path` as the chosen file in one go (content, size, full
// path, identity); throws VsError 53 when the path names no regular file
// (links followed), other numbers for other failures.
ChosenFile TakeChosenFile(const QByteArray &path);

// True when two paths are equal after upper-casing them (decoded with the
// locale).
bool SamePathIgnoringCase(const QByteArray &a, const QByteArray &b);

// The match step for the regular file at `path` with size `size` and
// identity dev/ino: the row to list, or nothing. The chosen file itself (same
// path ignoring case, same inode) gets the yellow row with SameFileMarker()
// without being read; any other file must have equal contents. With `dirFd`
// the file is opened as `name` in that folder instead of by its path; a file
// that cannot be opened because too many files are open throws VsError 67.
std::optional<DupeRow> MatchStep(const ChosenFile &chosen, const QByteArray &path, ByteCount size,
                                 uint64_t dev, uint64_t ino, int dirFd = -1, const char *name = nullptr);

} // namespace vs
