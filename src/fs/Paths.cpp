#include "fs/Paths.h"

#include <QFile>

namespace vs {

QByteArray WithTrailingSlash(const QByteArray &path)
{
    return path.endsWith('/') ? path : path + '/';
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return WithTrailingSlash(folder) + name;
}

QString DisplayPath(const QByteArray &path)
{
    return QFile::decodeName(path);
}

} // namespace vs
