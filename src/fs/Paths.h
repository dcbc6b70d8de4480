// Path helpers. Paths are bytes, as the kernel spells them; they are decoded
// only to be shown, and never rebuilt from the shown text.
#pragma once

#include <QByteArray>
#include <QString>

namespace vs
{

// Appends "/" unless the path already ends with it.
QByteArray WithTrailingSlash(const QByteArray &path);
// Folder path plus a name, with exactly one "/" between them.
QByteArray JoinPath(const QByteArray &folder, const QByteArray &name);
// An absolute path spelled out without ".", ".." and doubled slashes, with
// symbolic links kept as written ("/" when nothing is left); ".." above the
// root stays at the root.
QByteArray TidyPath(const QByteArray &absolute);
// A path as the user sees it (locale decoding, undecodable bytes escaped by Qt).
QString DisplayPath(const QByteArray &path);

} // namespace vs
