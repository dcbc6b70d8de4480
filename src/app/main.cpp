#include "CommandLine.h"
#include "Form1.h"
#include "ProgramSettings.h"
#include "ProgramWindows.h"
#include "about/ProgramIcon.h"
#include "fs/FileOpen.h"
#include "widgets/WindowServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace
{

void setNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Volumescope"));
    QCoreApplication::setApplicationName(QStringLiteral("Volumescope"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOLUMESCOPE_VERSION));
}

// Reads the command line with a plain application object, so --help and
// --version answer without a display.
vs::CommandLine readCommandLine(int argc, char **argv)
{
    QList<QByteArray> raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QByteArray(argv[i]));
    int coreArgc = argc;
    QCoreApplication core(coreArgc, argv);
    setNames();
    vs::LoadQtTranslation(core);
    return vs::ParseCommandLine(QCoreApplication::arguments(), raw, QFile::encodeName(QDir::currentPath()));
}

} // namespace

int main(int argc, char **argv)
{
    const vs::CommandLine commandLine = readCommandLine(argc, argv);
    if (commandLine.exitNow) {
        const QByteArray text = commandLine.output.toLocal8Bit();
        std::fputs(text.constData(), commandLine.outputIsError ? stderr : stdout);
        return commandLine.exitCode;
    }
    // Without a display the toolkit would abort with a message about
    // platform plugins; say plainly what to do instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("volumescope: нет графического дисплея (DISPLAY не задан); запустите программу "
                   "в графическом сеансе или под Xvfb: xvfb-run -a volumescope\n",
                   stderr);
        return 1;
    }
    vs::RaiseOpenLimit();
    QApplication app(argc, argv);
    setNames();
    QApplication::setDesktopFileName(QStringLiteral("volumescope"));
    QApplication::setWindowIcon(vs::ProgramIcon());
    vs::LoadQtTranslation(app);

    const vs::WindowServices services = vs::DefaultWindowServices();
    const QByteArray startFolder = vs::ChooseStartFolder(commandLine.folder, services.fs, services.boxes);
    vs::ProgramSettings settings;
    vs::Form1 form1(services, startFolder);
    vs::ProgramWindows windows(form1, services, {}, nullptr, &settings);
    form1.show();
    return app.exec();
}
