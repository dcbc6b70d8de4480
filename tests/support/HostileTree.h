// Trees that break careless walkers, made on a TempTree: chains deeper than
// PATH_MAX and than the descriptor limit, folders with many entries, every kind
// of file that is not a regular file, names that are not valid UTF-8, sparse
// files. Each maker returns what a correct total counts, so tests compare
// exact numbers.
#pragma once

#include "support/TempTree.h"

#include <QByteArray>
#include <cstdint>

namespace vs::test
{

struct ChainShape {
    int levels = 1;        // folders nested one in another
    int sideFolders = 0;   // extra folders beside each level's next folder
    int64_t fileSize = 1;  // each level and each side folder holds one file this big (0: none)
    QByteArray name = "d"; // name of every chain folder
};

// Builds the chain below root/rel (created); returns the sum of the file sizes.
// Made with descriptors relative to each level, so any depth works.
int64_t MakeDeepChain(const TempTree &tree, const QByteArray &rel, const ChainShape &shape);

// `files` files of `fileSize` bytes named 0, 1, 2 ... in one folder; returns their sum.
int64_t MakeWideFolder(const TempTree &tree, const QByteArray &rel, int files, int64_t fileSize);

// In root/rel: a FIFO "fifo", a socket "sock", a symbolic link "loop" to ".",
// a dangling link "dangling", a link "root" to "/", and (as root only) a
// character device "null". None of them adds to a total. Returns how many were made.
int MakeSpecialFiles(const TempTree &tree, const QByteArray &rel);

// In root/rel: one-byte files whose names are not valid UTF-8, hold a newline,
// a tab, a leading dash, spaces or Cyrillic letters; returns their count (= sum).
int MakeOddNames(const TempTree &tree, const QByteArray &rel);

// A file of `apparent` bytes with `data` bytes written at its start and the rest
// a hole; returns `apparent`.
int64_t MakeSparseFile(const TempTree &tree, const QByteArray &rel, int64_t apparent, int64_t data);

} // namespace vs::test
