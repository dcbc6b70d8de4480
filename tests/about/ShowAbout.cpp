#include "about/frmAbout.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    vs::frmAbout::showSingle();
    return app.exec();
}
