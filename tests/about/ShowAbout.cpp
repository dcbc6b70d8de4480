// Shows the About window alone. With "--grab <file.png>" it saves a picture
// of the window as the display shows it and quits.
#include "about/frmAbout.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    auto *about = new vs::frmAbout;
    about->show();
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--grab")) {
        QTimer::singleShot(1500, &app, [about, file = args[2]] {
            const QRect frame = about->frameGeometry();
            const QPixmap shot =
                about->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            QApplication::exit(shot.save(file, "PNG") ? 0 : 1);
        });
    }
    return app.exec();
}
