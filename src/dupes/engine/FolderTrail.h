// The folders from a walk's starting point down to the folder at hand, each
// known by its name and identity, with only a bounded number of them open.
//
// A walk goes one level down by opening a name relative to the deepest open
// folder, so no path is ever resolved whole. Going down past the budget
// closes the shallowest open level (never the first); going back up reopens
// the parent as ".." of the child just left, or, when that is not the same
// folder any more (it was moved), by names from the nearest open ancestor.
// Either way the reopened folder must have the identity it had when entered.
// Each level is thus opened a bounded number of times: time stays linear in
// the depth and the descriptors in use never exceed the budget.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <sys/types.h>
#include <vector>

namespace vs
{

class FolderTrail
{
  public:
    static constexpr size_t kDefaultBudget = 64;

    explicit FolderTrail(size_t budget = kDefaultBudget);
    ~FolderTrail();
    FolderTrail(const FolderTrail &) = delete;
    FolderTrail &operator=(const FolderTrail &) = delete;

    // Makes the folder open as `fd` (taken over, closed by the trail) the
    // first level, dropping any others. False (fd closed, errno set) when it
    // cannot be identified.
    bool start(int fd, const QByteArray &name = {});
    // Goes one level down into `name` of the deepest level, opened with
    // `flags`. False with errno set (the trail unchanged) when it cannot be
    // opened or is not a folder.
    bool enter(const char *name, int flags);
    // Takes the folder open as `fd` (taken over) as the next level `name`,
    // for a caller that opened it itself. False as for start().
    bool push(int fd, const QByteArray &name);
    // Goes one level up; the new deepest level is open again when this
    // returns true (false with errno set: it could not be reopened as the
    // same folder, fd() is -1).
    bool leave();
    void clear();

    size_t depth() const { return levels_.size(); }
    // The deepest level's descriptor (-1 when its reopening failed).
    int fd() const { return levels_.empty() ? -1 : levels_.back().fd; }
    dev_t dev() const { return levels_.back().dev; }
    ino_t ino() const { return levels_.back().ino; }
    // The errno of the last failed reopening (0: none).
    int reopenError() const { return reopenError_; }
    // Descriptors held now (for tests).
    size_t openCount() const { return open_; }

  private:
    struct Level {
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        QByteArray name;
    };

    bool add(int fd, const QByteArray &name);
    void closeLevel(Level &l);
    void keepWithinBudget();
    bool reopenFromChild(size_t index, int childFd);
    bool reopenByNames(size_t index);

    size_t budget_;
    std::vector<Level> levels_;
    size_t open_ = 0;
    size_t firstMaybeOpen_ = 1; // levels 1 .. this-1 are all closed
    int reopenError_ = 0;
};

} // namespace vs
