// Numbered errors. Failures travel as VsError exceptions carrying the number
// the windows react to (70 permission denied, 68 device unavailable, ...),
// a Russian description and the component that raised it. errno is turned
// into these numbers here and nowhere else.
#pragma once

#include <QString>
#include <exception>

namespace vs
{

struct VsError : std::exception {
    int number = 0;
    QString description;
    QString source;
    const char *what() const noexcept override { return "VsError"; }
};

// Well-known numbers.
enum ErrorNumber : int {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrOutOfMemory = 7,
    kErrSubscript = 9,
    kErrInternal = 51,
    kErrBadFileName = 52,
    kErrFileNotFound = 53,
    kErrIo = 57,
    kErrDiskFull = 61,
    kErrTooManyFiles = 67,
    kErrDeviceUnavailable = 68,
    kErrPermission = 70,
    kErrPathAccess = 75,
    kErrPathNotFound = 76,
    kErrAccessDenied = 419,
};

QString ErrorDescription(int number);
VsError MakeError(int number, const QString &source = QStringLiteral("Volumescope"));

// errno as an error number; ENOENT is 53 for a file and 76 for a path.
int ErrnoToNumber(int err, bool fileContext = false);
VsError ErrorFromErrno(int err, bool fileContext = false,
                       const QString &source = QStringLiteral("Volumescope"));

} // namespace vs
