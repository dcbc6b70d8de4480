#include "Form1.h"
#include "ProgramWindows.h"
#include "about/ProgramIcon.h"
#include "fs/FileOpen.h"
#include "widgets/WindowServices.h"

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
    vs::RaiseOpenLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Volumescope"));
    QApplication::setApplicationVersion(QStringLiteral(VOLUMESCOPE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("volumescope"));
    QApplication::setWindowIcon(vs::ProgramIcon());

    const vs::WindowServices services = vs::DefaultWindowServices();
    vs::Form1 form1(services);
    vs::ProgramWindows windows(form1, services);
    form1.show();
    return app.exec();
}
