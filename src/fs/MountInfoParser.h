// The kernel's mount table (/proc/self/mountinfo) read into rows, one pure
// function over its text: the drive rules and the walkers' fence of foreign
// mount points both read it, and tests feed it tables captured elsewhere.
#pragma once

#include <QByteArray>
#include <vector>

namespace vs
{

struct MountInfoRow {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    QByteArray root;       // folder of the file system mounted here
    QByteArray mountPoint; // octal escapes (\040 ...) already decoded
    QByteArray mountOptions;
    std::vector<QByteArray> optionalFields; // shared:N, master:N ...
    QByteArray fsType;
    QByteArray source;
    QByteArray superOptions;
};

// Decodes the \ooo escapes the kernel writes for blanks, tabs, newlines and
// backslashes in the table's fields.
QByteArray UnescapeMountField(const QByteArray &field);

// Every well-formed line of /proc/self/mountinfo, in order; malformed lines
// are skipped.
std::vector<MountInfoRow> ParseMountInfo(const QByteArray &text);

} // namespace vs
