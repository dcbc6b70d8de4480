#include "fs/Paths.h"

#include <QFile>
#include <QList>

namespace vs
{

QByteArray WithTrailingSlash(const QByteArray &path)
{
    return path.endsWith('/') ? path : path + '/';
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return WithTrailingSlash(folder) + name;
}

QByteArray TidyPath(const QByteArray &absolute)
{
    QList<QByteArray> kept;
    for (const QByteArray &part : absolute.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.append(part);
    }
    return '/' + kept.join('/');
}

QString DisplayPath(const QByteArray &path)
{
    return QFile::decodeName(path);
}

} // namespace vs
