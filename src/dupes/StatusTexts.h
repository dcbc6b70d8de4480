// The finished texts of a duplicate search in the status bar, the space the
// extra copies take, and the texts around a move to the trash.
#pragma once

#include "util/ByteCount.h"

#include <QString>
#include <utility>
#include <vector>

namespace vs
{

// Elapsed seconds as a single-precision number with at most 7 significant
// digits and the user's decimal separator, directly followed by "сек.":
// "0,25сек.", "12сек.", "1,234568сек.".
QString ElapsedText(double seconds, const QString &decimalSeparator);

// "Кол-во: " and the number of result rows.
QString CountText(int rows);

// The space panel: "Можно освободить: " and the space of all extra copies;
// while rows are selected, ", выделено: " and the selection's share.
QString SpaceText(ByteCount all, bool anySelected, ByteCount selected);
// Added to the space panel after the folder rule left groups unselected.
QString GroupsWithoutKeptText(int groups);

// The question before a move to the trash: the files, the space, and the
// groups selected whole that are skipped.
QString ConfirmMoveText(int files, ByteCount space, int skippedGroups, int skippedFiles);
// Nothing can move: every selected group is selected whole.
QString NothingToMoveText(int skippedGroups, int skippedFiles);
// The summary after a move; `leftAlone` holds (shown path, reason) pairs.
QString MoveSummaryText(int moved, ByteCount freed, int skippedGroups,
                        const std::vector<std::pair<QString, QString>> &leftAlone, bool stopped);

} // namespace vs
