// Where report files go, and writing them so that a reader never sees half
// a file: the bytes go to a fresh temporary name in the same folder, which
// then replaces the target in one rename.
//
// Report files belong in the program's folder. A program installed system-
// wide keeps them out of its folder, so that removing the package removes the
// folder: when the program lives in a system folder (/usr, /opt, /bin ...),
// even for root, or when the user cannot write to its folder, the reports go
// to the user's data folder ($XDG_DATA_HOME/volumescope, by default
// ~/.local/share/volumescope).
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace vs
{

inline QString PreviewFileName()
{
    return QStringLiteral("temp.hta");
}
inline QString CopySuffix()
{
    return QStringLiteral(".htm");
}

struct ReportPlace {
    QString programFolder;
    QString userFolder;
    std::function<bool(const QString &folder)> writable;
};

// The program's folder, the per-user folder and the real writability check.
ReportPlace DefaultReportPlace();
// $XDG_DATA_HOME/volumescope, or ~/.local/share/volumescope.
QString UserReportFolder();
// Whether the folder is the root folder or lies below one of the folders
// that packages install into (/usr, /opt, /bin, /sbin, /lib..., /etc, /boot,
// /snap). Looks at the absolute path only.
bool IsSystemFolder(const QString &folder);
// Whether this process may create files in the folder (as the kernel decides,
// so also right for root on a read-only file system).
bool IsFolderWritable(const QByteArray &folder);

struct FileResult {
    int error = 0; // errno of the step that failed, 0 on success
    explicit operator bool() const { return error == 0; }
};

// The folder report files go to: the program's folder when it is not a
// system folder and is writable, else the per-user folder, created when missing. `folder` receives it even on
// failure, for the message.
FileResult ChooseReportFolder(const ReportPlace &place, QString &folder);

// Writes `bytes` to `path`, replacing a file of that name at once.
FileResult WriteFileReplacing(const QString &path, const QByteArray &bytes);

// A short Russian sentence for an errno value, ending with a full stop.
QString FileErrorReason(int error);

} // namespace vs
