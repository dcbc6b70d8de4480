// The file-system service: what the windows ask of the disk. Paths are bytes,
// exactly as the kernel spells them; they are decoded only to be shown.
// Every failure is a VsError with the program's error numbers.
#pragma once

#include "util/ByteCount.h"

#include <QByteArray>
#include <memory>

namespace vs
{

// What a folder's total counts: the files' lengths (what a file manager shows
// as a file's size), or the space the file system has given them on disk
// (st_blocks x 512: a sparse file counts only what it holds, a small file a
// whole block), as disk usage tools count it.
enum class SizeMeasure { Apparent, OnDisk };

// The immediate subfolders of one folder, one bare name at a time, in the
// order the file system delivers them. Symbolic links are not subfolders.
class FolderListing
{
  public:
    virtual ~FolderListing() = default;
    // False at the end; throws VsError when reading the folder fails midway.
    virtual bool next(QByteArray &name) = 0;
};

class FileSystem
{
  public:
    virtual ~FileSystem() = default;
    // Throws VsError when the path does not name a folder that can be opened.
    virtual std::unique_ptr<FolderListing> subFolders(const QByteArray &folder) = 0;
    // Total of the regular files beneath the folder (each inode once, links
    // not followed, staying on its file system). Parts that cannot be read add
    // nothing; throws VsError when the folder itself cannot be opened.
    virtual ByteCount folderSize(const QByteArray &folder) = 0;
    // The space beneath the folder on disk: the folder itself and every
    // inode below it once (files, folders, links), on its file system only.
    virtual ByteCount folderDiskUsage(const QByteArray &folder) = 0;
    // One of the two by the measure chosen.
    ByteCount folderTotal(const QByteArray &folder, SizeMeasure measure)
    {
        return measure == SizeMeasure::OnDisk ? folderDiskUsage(folder) : folderSize(folder);
    }
    // Size of a file; throws VsError 53 when the path names no file.
    virtual ByteCount fileSize(const QByteArray &file) = 0;
    // The file's full absolute path; throws VsError 53 when it names no file.
    virtual QByteArray filePath(const QByteArray &file) = 0;
};

} // namespace vs
