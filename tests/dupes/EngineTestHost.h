// A host for the duplicate engine's tests: records everything the engine
// tells it and runs test code at a chosen yield.
#pragma once

#include "dupes/engine/DupeHost.h"
#include "dupes/engine/FileWalk.h"
#include "support/ChildProcess.h"
#include "support/TempTree.h"

#include <QByteArray>
#include <dirent.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vs::test
{

class RecordingHost : public DupeHost
{
  public:
    struct Error {
        int number;
        QString text, title;
    };
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
    }
    bool scanRunning() const override { return running; }
    int useMaxSize() const override { return useMax; }
    ByteCount minSizeBytes() const override { return ByteCount::fromBytes(uint64_t(minBytes)); }
    ByteCount maxSizeBytes() const override { return ByteCount::fromBytes(uint64_t(maxBytes)); }
    void showError(int number, const QString &text, const QString &title) override
    {
        errors.push_back({number, text, title});
    }
    void stepPicture(int image) override { pictures.push_back(image); }
    const ChosenFile &chosenFile() const override { return chosen; }
    void addRow(const DupeRow &row) override { rows.push_back(row); }

    bool running = true;
    int useMax = 0;
    int64_t minBytes = 0, maxBytes = 0;
    ChosenFile chosen;
    int yields = 0;
    std::function<void(int)> onYield;
    std::vector<Error> errors;
    std::vector<int> pictures;
    std::vector<DupeRow> rows;
};

// The names of a folder in the order the file system delivers them, without
// "." and "..".
inline std::vector<QByteArray> ListingOrder(const QByteArray &folder)
{
    std::vector<QByteArray> names;
    if (DIR *d = opendir(folder.constData())) {
        while (dirent *e = readdir(d)) {
            const QByteArray n(e->d_name);
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

// Runs `fn` under an unprivileged user when the tests run as root, so that
// permissions bite; returns what it wrote.
inline std::string RunUnprivileged(const std::function<std::string()> &fn)
{
    if (geteuid() != 0)
        return fn();
    return RunInChild(fn, BecomeUnprivileged);
}

// A collection of the tree's files in a chosen order, as if the walk had
// met them so.
inline FileCollection CollectionOf(const TempTree &t, const std::vector<QByteArray> &names)
{
    FileCollection files;
    files.reset();
    for (const QByteArray &n : names) {
        struct stat st {
        };
        EXPECT_EQ(lstat(t.path(n).constData(), &st), 0) << n.constData();
        FileRecord r;
        r.path = t.path(n);
        r.size = ByteCount::fromBytes(uint64_t(st.st_size));
        r.dev = uint64_t(st.st_dev);
        r.ino = uint64_t(st.st_ino);
        files.append(r);
    }
    return files;
}

} // namespace vs::test
