#include "fs/MountInfoParser.h"

#include <QList>

namespace vs
{
namespace
{

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

bool ParseUnsigned(const QByteArray &text, unsigned &value)
{
    bool ok = false;
    value = text.toUInt(&ok, 10);
    return ok;
}

} // namespace

QByteArray UnescapeMountField(const QByteArray &field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<MountInfoRow> ParseMountInfo(const QByteArray &text)
{
    std::vector<MountInfoRow> rows;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> f = line.split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype sep = f.indexOf(QByteArray("-"), 6);
        if (sep < 6 || f.size() < sep + 3)
            continue;
        MountInfoRow row;
        bool okId = false, okParent = false;
        row.id = f[0].toInt(&okId);
        row.parentId = f[1].toInt(&okParent);
        const qsizetype colon = f[2].indexOf(':');
        if (!okId || !okParent || colon < 0 || !ParseUnsigned(f[2].left(colon), row.major) ||
            !ParseUnsigned(f[2].mid(colon + 1), row.minor))
            continue;
        row.root = UnescapeMountField(f[3]);
        row.mountPoint = UnescapeMountField(f[4]);
        row.mountOptions = f[5];
        for (qsizetype i = 6; i < sep; ++i)
            row.optionalFields.push_back(f[i]);
        row.fsType = UnescapeMountField(f[sep + 1]);
        row.source = UnescapeMountField(f[sep + 2]);
        row.superOptions = f.size() > sep + 3 ? UnescapeMountField(f[sep + 3]) : QByteArray();
        if (row.mountPoint.isEmpty() || row.mountPoint[0] != '/')
            continue;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace vs
