#include "Form1.h"
#include "ProgramWindows.h"
#include "about/ProgramIcon.h"
#include "drives/MountTable.h"
#include "fs/LinuxFileSystem.h"
#include "widgets/DesktopServices.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // Without a display the toolkit would abort with a message about
    // platform plugins; say plainly what to do instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("volumescope: нет графического дисплея (DISPLAY не задан); запустите программу "
                   "в графическом сеансе или под Xvfb: xvfb-run -a volumescope\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Volumescope"));
    QApplication::setApplicationVersion(QStringLiteral(VOLUMESCOPE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("volumescope"));
    QApplication::setWindowIcon(vs::ProgramIcon());

    vs::Form1 form1(vs::DefaultFileSystem(), vs::DefaultMountTable(), vs::DefaultShell(),
                    vs::DefaultMessageBoxes(), vs::DefaultYield());
    vs::ProgramWindows windows(form1, {vs::DefaultFileSystem(), vs::DefaultMountTable(), vs::DefaultShell(),
                                       vs::DefaultMessageBoxes(), vs::DefaultYield(), {}});
    form1.show();
    return app.exec();
}
