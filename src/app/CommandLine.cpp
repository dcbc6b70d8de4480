#include "CommandLine.h"

#include "fs/Paths.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vs
{

bool LoadQtTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

CommandLine ParseCommandLine(const QStringList &arguments, const QList<QByteArray> &rawArguments,
                             const QByteArray &workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Volumescope — наглядный анализ каталогов: размеры подпапок, накопители, "
                       "поиск дубликатов файлов."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("ПАПКА"),
                                 QStringLiteral("Папка, которую открыть в главном окне (её диск будет "
                                                "выбран, а папка выделена)."),
                                 QStringLiteral("[ПАПКА]"));

    CommandLine result;
    auto finish = [&result](int code, const QString &text, bool error) {
        result.exitNow = true;
        result.exitCode = code;
        result.output = text;
        result.outputIsError = error;
        return result;
    };
    if (!parser.parse(arguments))
        return finish(2, parser.errorText() + QLatin1Char('\n'), true);
    // --help-all would add the toolkit's own options, which this program
    // does not document: it shows the same help.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return finish(0, parser.helpText(), false);
    if (parser.isSet(version))
        return finish(0,
                      QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n'),
                      false);
    const QStringList words = parser.positionalArguments();
    if (words.size() > 1)
        return finish(2, QStringLiteral("volumescope: можно указать только одну папку\n"), true);
    if (words.isEmpty())
        return result;

    // The same word as the kernel spelled it: the last one that decodes to it
    // (the folder follows the options).
    QByteArray folder = words.first().toLocal8Bit();
    for (qsizetype i = rawArguments.size() - 1; i > 0; --i) {
        if (QString::fromLocal8Bit(rawArguments[i]) == words.first()) {
            folder = rawArguments[i];
            break;
        }
    }
    if (!folder.startsWith('/'))
        folder = JoinPath(workingFolder, folder);
    result.folder = TidyPath(folder);
    return result;
}

QString MissingFolderText(const QByteArray &folder)
{
    return QStringLiteral("Папка \"%1\" не найдена. Программа откроется в текущей папке.")
        .arg(DisplayPath(folder));
}

QByteArray ChooseStartFolder(const QByteArray &folder, FileSystem &fs, MessageBoxes &boxes)
{
    if (folder.isEmpty())
        return {};
    try {
        fs.subFolders(folder);
    } catch (const VsError &e) {
        // A folder that exists but cannot be read is still opened: the main
        // window falls back to its drive's root as it does for any start.
        if (e.number == kErrPathNotFound) {
            boxes.show(nullptr, MissingFolderText(folder), QStringLiteral("Внимание"),
                       MessageBoxes::Icon::Exclamation);
            return {};
        }
    }
    return folder;
}

} // namespace vs
