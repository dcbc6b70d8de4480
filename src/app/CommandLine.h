// The program's start: Qt's own Russian texts and the command line
// `volumescope [ПАПКА]`. The command line is read before any window exists,
// so --help and --version answer without a display.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace vs
{

class FileSystem;
class MessageBoxes;

// Installs Qt's Russian translation (qtbase_ru from Qt's translation folder)
// on the application, so the toolkit's dialogs and buttons speak Russian.
// Returns false, changing nothing, when the file is not installed.
bool LoadQtTranslation(QCoreApplication &app);

struct CommandLine {
    // Print `output` and end with `exitCode` instead of opening a window.
    bool exitNow = false;
    int exitCode = 0;
    QString output;
    bool outputIsError = false;
    // The folder to open, as bytes and absolute; empty when none was given.
    QByteArray folder;
};

// Reads the command line. `arguments` is what QCoreApplication decoded,
// `rawArguments` the same words as the kernel passed them: the folder is
// taken from the latter, so a name that is not valid in the locale survives.
// Needs an application object (the help text names the executable).
CommandLine ParseCommandLine(const QStringList &arguments, const QList<QByteArray> &rawArguments,
                             const QByteArray &workingFolder);

// The Russian message for a folder from the command line that does not exist.
QString MissingFolderText(const QByteArray &folder);

// The folder the main window starts on: the command line's folder, or empty
// (the working folder) when none was given or it does not exist; a missing
// folder is reported first.
QByteArray ChooseStartFolder(const QByteArray &folder, FileSystem &fs, MessageBoxes &boxes);

} // namespace vs
