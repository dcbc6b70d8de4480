// Fakes of the outside services for tests: an in-memory folder tree that can
// fail with any error number, a shell and message boxes that only record, and
// a yield that can run test code at a chosen call.
#pragma once

#include "util/FileSystem.h"
#include "util/Services.h"

#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace vs::test
{

class FakeFileSystem : public FileSystem
{
  public:
    struct Folder {
        std::vector<QByteArray> subs; // bare names in listing order
        int64_t size = 0;
        int64_t onDisk = 0; // what folderDiskUsage() gives
        int openError = 0;  // subFolders() fails at once with this number
        int listError = 0;  // ... or fails after listErrorAfter names
        int listErrorAfter = 0;
        int sizeError = 0; // folderSize() fails with this number
    };
    // Adds a folder (and links it into its parent's listing when the parent exists).
    Folder &add(const QByteArray &path, int64_t size = 0);
    Folder &at(const QByteArray &path) { return folders[path]; }

    std::unique_ptr<FolderListing> subFolders(const QByteArray &folder) override;
    ByteCount folderSize(const QByteArray &folder) override;
    ByteCount folderDiskUsage(const QByteArray &folder) override;
    ByteCount fileSize(const QByteArray &file) override;
    QByteArray filePath(const QByteArray &file) override;

    std::map<QByteArray, Folder> folders;
    std::map<QByteArray, int64_t> files;
    std::vector<QByteArray> sizeCalls; // folders measured, in order
    std::vector<QByteArray> diskUsageCalls;
    std::function<void(const QByteArray &)> onFolderSize;
};

class RecordingShell : public Shell
{
  public:
    void open(const QByteArray &path, QWidget *) override { opened.push_back(path); }
    std::vector<QByteArray> opened;
};

class RecordingMessageBoxes : public MessageBoxes
{
  public:
    struct Box {
        QString text;
        QString title;
        Icon icon;
    };
    void show(QWidget *, const QString &text, const QString &title, Icon icon) override
    {
        boxes.push_back({text, title, icon});
        if (onShow)
            onShow(boxes.back());
    }
    std::vector<Box> boxes;
    std::function<void(const Box &)> onShow;
};

// Counts yields; `hook(n)` runs during the n-th one (from 1).
class ScriptedYield : public EventYield
{
  public:
    void yield() override
    {
        ++count;
        if (hook)
            hook(count);
    }
    int count = 0;
    std::function<void(int)> hook;
};

} // namespace vs::test
