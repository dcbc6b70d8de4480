#include "AppIcon.h"
#include "Form1.h"
#include "drives/MountTable.h"
#include "util/LinuxFileSystem.h"
#include "util/Services.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Volumescope"));
    QApplication::setApplicationVersion(QStringLiteral(VOLUMESCOPE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("volumescope"));
    QApplication::setWindowIcon(vs::AppIcon());

    vs::Form1 form1(vs::DefaultFileSystem(), vs::DefaultMountTable(), vs::DefaultShell(),
                    vs::DefaultMessageBoxes(), vs::DefaultYield());
    form1.show();
    return app.exec();
}
