// The file-system service on Linux: folders are read with getdents64 in the
// order the kernel delivers them, totals come from a parallel walker.
#pragma once

#include "fs/PseudoFileSystems.h"
#include "util/FileSystem.h"

namespace vs
{

class LinuxFileSystem final : public FileSystem
{
  public:
    // threads 0: one walker thread per core.
    explicit LinuxFileSystem(unsigned threads = 0);

    // A folder whose open does not answer within the drive time limit (on a
    // dead mount) fails with 68.
    std::unique_ptr<FolderListing> subFolders(const QByteArray &folder) override;
    // The same for the folder itself; mount points of other file systems
    // below it are never opened. While the interface thread waits for the
    // total, it lets paint events through but holds user input back.
    ByteCount folderSize(const QByteArray &folder) override;
    ByteCount folderDiskUsage(const QByteArray &folder) override;
    ByteCount fileSize(const QByteArray &file) override;
    QByteArray filePath(const QByteArray &file) override;

  private:
    ByteCount measureFolder(const QByteArray &folder, SizeMeasure measure);

    unsigned threads_;
};

// The service every window uses unless a test injects another.
FileSystem &DefaultFileSystem();

} // namespace vs
