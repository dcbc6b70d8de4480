// What the user can do about the listed duplicates: pick the extra copies by
// a rule, see the space they take, and move them to the desktop's trash.
//
// Moving is careful by design: a group is never emptied, every file is
// checked again right before it moves (identity, size, modification time and
// contents against a kept copy of its group), a file is only handed to the
// trash when a trash on its own volume can take it, and nothing is ever
// unlinked here (QFile::moveToTrash renames, it never copies and deletes).
#pragma once

#include "dupes/engine/DupeHost.h"
#include "dupes/engine/FileWalk.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace vs
{

// One listed row with what is needed to act on it safely: its group (from 1)
// and the identity of the file as it was when it was listed.
struct ListedFile {
    QByteArray path;
    ByteCount size;
    int32_t checksum = 0;
    int group = 0;
    uint64_t dev = 0, ino = 0;
    int64_t mtimeNs = 0;
    bool identified = false; // false: the file was already gone or replaced when listed
};

// The rows of a tree scan (groups are runs of one colour) or, with
// `oneGroup`, of a one-file search (all copies of the chosen file: one
// group). Each file is looked at (lstat) now; where `walked` holds the file
// under another identity than the walk saw, it counts as not identified.
// The looking is done by helper threads; with `whileWaiting`, the calling
// thread only waits and calls it every 20 ms (the window repaints there).
std::vector<ListedFile> IdentifyRows(const std::vector<DupeRow> &rows, bool oneGroup,
                                     const FileCollection *walked = nullptr,
                                     const std::function<void()> &whileWaiting = {});
ListedFile IdentifyRow(const DupeRow &row, int group);

// For every row, the other rows of the list on the same device and inode.
std::vector<std::vector<int>> HardLinkPartners(const std::vector<ListedFile> &files);

// Space that removing all but one copy of every group would free; hard links
// of one file count once.
ByteCount ReclaimableSpace(const std::vector<ListedFile> &files);

// Space that moving the selected rows would free: a file counts when all of
// its listed links are selected; groups selected whole are skipped and free
// nothing.
ByteCount SelectionSpace(const std::vector<ListedFile> &files, const std::vector<bool> &selected);

enum class KeepRule {
    FirstInGroup, // оставить первую в группе
    Oldest,       // оставить самую старую
    Newest,       // оставить самую новую
    InFolder,     // оставить копии в папке...
};

struct ExtraCopies {
    std::vector<bool> selected;
    int groupsWithoutKept = 0; // InFolder: groups with no file in the folder (left unselected)
};

// Selects every row except the ones the rule keeps in each group, and never a
// hard link of a kept file. Oldest/Newest go by the modification time seen at
// listing; ties keep the first of them in the list. InFolder keeps every copy
// in `folder` or below it.
ExtraCopies SelectExtraCopies(const std::vector<ListedFile> &files, KeepRule rule,
                              const QByteArray &folder = {});

// What a move of the selection would do, for the confirmation.
struct MovePlan {
    std::vector<int> toMove; // rows, in list order
    int skippedGroups = 0;   // groups selected whole: nothing of them moves
    int skippedFiles = 0;    // the selected rows of those groups
    ByteCount space;         // what moving `toMove` would free
};
MovePlan PlanMove(const std::vector<ListedFile> &files, const std::vector<bool> &selected);

// Empty when a trash on the file's volume can take the file at `path` (the
// one QFile::moveToTrash would use); otherwise why not, as the summary says it.
QString TrashProblem(const QByteArray &path);

struct LeftAlone {
    int row;
    QString reason;
};

struct MoveReport {
    std::vector<int> moved; // rows, in list order
    std::vector<LeftAlone> leftAlone;
    ByteCount freed;
    bool stopped = false; // `keepGoing` said no: the rest was not looked at
};

// Moves the planned rows to the trash, each checked again right before it
// moves. `keepGoing` is asked before every file (the window yields to its
// events there and says whether it may go on).
MoveReport MoveToTrash(const std::vector<ListedFile> &files, const MovePlan &plan,
                       const std::function<bool()> &keepGoing = {});

} // namespace vs
