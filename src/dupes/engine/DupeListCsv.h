// The duplicate list as a CSV file: UTF-8, a header row, one row per listed
// file with its group number, its size in bytes, its checksum as the list
// shows it and its path. Fields are quoted only where CSV needs it; rows end
// in CR LF. Path bytes that are not UTF-8 are written as they are, so the
// file names stay exact.
#pragma once

#include "dupes/engine/DupeActions.h"

#include <QByteArray>
#include <vector>

namespace vs
{

// The header row, without its line end.
QByteArray DupeListCsvHeader();

// One field: quoted (quotes doubled) when it holds a comma, a quote, CR or LF.
QByteArray CsvField(const QByteArray &bytes);

// The whole file. Groups are numbered 1, 2, ... in list order.
QByteArray DupeListCsv(const std::vector<ListedFile> &files);

} // namespace vs
