#include "Fakes.h"

#include "util/Errors.h"

namespace vs::test
{

namespace
{

QByteArray parentOf(const QByteArray &path)
{
    const int k = path.lastIndexOf('/');
    if (k < 0)
        return {};
    return k == 0 ? QByteArray("/") : path.left(k);
}

class FakeListing : public FolderListing
{
  public:
    explicit FakeListing(const FakeFileSystem::Folder &f) : folder_(f) {}
    bool next(QByteArray &name) override
    {
        if (folder_.listError != 0 && index_ == size_t(folder_.listErrorAfter))
            throw MakeError(folder_.listError, QStringLiteral("FakeFileSystem"));
        if (index_ >= folder_.subs.size())
            return false;
        name = folder_.subs[index_++];
        return true;
    }

  private:
    FakeFileSystem::Folder folder_;
    size_t index_ = 0;
};

} // namespace

FakeFileSystem::Folder &FakeFileSystem::add(const QByteArray &path, int64_t size)
{
    const QByteArray parent = parentOf(path);
    if (!parent.isEmpty() && parent != path) {
        auto it = folders.find(parent);
        if (it != folders.end())
            it->second.subs.push_back(path.mid(path.lastIndexOf('/') + 1));
    }
    Folder &f = folders[path];
    f.size = size;
    return f;
}

std::unique_ptr<FolderListing> FakeFileSystem::subFolders(const QByteArray &folder)
{
    auto it = folders.find(folder);
    if (it == folders.end())
        throw MakeError(kErrPathNotFound, QStringLiteral("FakeFileSystem"));
    if (it->second.openError)
        throw MakeError(it->second.openError, QStringLiteral("FakeFileSystem"));
    return std::make_unique<FakeListing>(it->second);
}

ByteCount FakeFileSystem::folderSize(const QByteArray &folder)
{
    sizeCalls.push_back(folder);
    if (onFolderSize)
        onFolderSize(folder);
    auto it = folders.find(folder);
    if (it == folders.end())
        throw MakeError(kErrPathNotFound, QStringLiteral("FakeFileSystem"));
    if (it->second.sizeError)
        throw MakeError(it->second.sizeError, QStringLiteral("FakeFileSystem"));
    return ByteCount::fromBytes(uint64_t(it->second.size));
}

ByteCount FakeFileSystem::folderDiskUsage(const QByteArray &folder)
{
    diskUsageCalls.push_back(folder);
    auto it = folders.find(folder);
    if (it == folders.end())
        throw MakeError(kErrPathNotFound, QStringLiteral("FakeFileSystem"));
    if (it->second.sizeError)
        throw MakeError(it->second.sizeError, QStringLiteral("FakeFileSystem"));
    return ByteCount::fromBytes(uint64_t(it->second.onDisk));
}

ByteCount FakeFileSystem::fileSize(const QByteArray &file)
{
    auto it = files.find(file);
    if (it == files.end())
        throw MakeError(kErrFileNotFound, QStringLiteral("FakeFileSystem"));
    return ByteCount::fromBytes(uint64_t(it->second));
}

QByteArray FakeFileSystem::filePath(const QByteArray &file)
{
    if (files.find(file) == files.end())
        throw MakeError(kErrFileNotFound, QStringLiteral("FakeFileSystem"));
    return file;
}

} // namespace vs::test
