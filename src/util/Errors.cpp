#include "Errors.h"

#include <cerrno>
#include <cstring>

namespace vs
{

QString ErrorDescription(int number)
{
    switch (number) {
    case 5:
        return QStringLiteral("Недопустимый вызов процедуры или недопустимый аргумент");
    case 6:
        return QStringLiteral("Переполнение");
    case 7:
        return QStringLiteral("Недостаточно памяти");
    case 9:
        return QStringLiteral("Индекс выходит за пределы допустимого диапазона");
    case 51:
        return QStringLiteral("Внутренняя ошибка");
    case 52:
        return QStringLiteral("Недопустимое имя или номер файла");
    case 53:
        return QStringLiteral("Файл не найден");
    case 57:
        return QStringLiteral("Ошибка ввода-вывода на устройстве");
    case 61:
        return QStringLiteral("Диск заполнен");
    case 67:
        return QStringLiteral("Слишком много файлов");
    case 68:
        return QStringLiteral("Устройство недоступно");
    case 70:
        return QStringLiteral("Отказано в разрешении");
    case 75:
        return QStringLiteral("Ошибка доступа к пути или файлу");
    case 76:
        return QStringLiteral("Путь не найден");
    case 419:
        return QStringLiteral("Отказано в разрешении на использование объекта");
    default:
        return QStringLiteral("Ошибка приложения");
    }
}

VsError MakeError(int number, const QString &source)
{
    VsError e;
    e.number = number;
    e.description = ErrorDescription(number);
    e.source = source;
    return e;
}

int ErrnoToNumber(int err, bool fileContext)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return kErrPermission;
    case ENOENT:
    case ENOTDIR:
        return fileContext && err == ENOENT ? kErrFileNotFound : kErrPathNotFound;
    case ENOMEDIUM:
    case ENODEV:
    case ENXIO:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN:
        return kErrDeviceUnavailable;
    case EIO:
        return kErrIo;
    case ENAMETOOLONG:
        return kErrBadFileName;
    case ELOOP:
        return kErrPathAccess;
    case ENOSPC:
        return kErrDiskFull;
    case EMFILE:
    case ENFILE:
        return kErrTooManyFiles;
    case ENOMEM:
        return kErrOutOfMemory;
    case EOVERFLOW:
        return kErrOverflow;
    default:
        return kErrInternal;
    }
}

VsError ErrorFromErrno(int err, bool fileContext, const QString &source)
{
    VsError e = MakeError(ErrnoToNumber(err, fileContext), source);
    if (e.number == kErrInternal)
        e.description += QStringLiteral(" (код системы ") + QString::number(err) + QLatin1Char(')');
    return e;
}

} // namespace vs
