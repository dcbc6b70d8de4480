// volumescope-window-bench: the real windows on a folder, offscreen or on
// whatever display is set, timed from the key press or click that starts a
// scan to the final count, for comparison with volumescope-bench.
//
//   volumescope-window-bench sizes FOLDER   F5 in the main window
//   volumescope-window-bench dupes FOLDER   "Сканировать" in the duplicate finder
//
// Prints: seconds, the final count text, repaints during the scan and the
// longest time between two of them.
#include "app/Form1.h"
#include "dupes/Form2.h"
#include "dupes/StatusPanel.h"
#include "widgets/DirListBox.h"
#include "widgets/WindowServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace
{

// Counts paint events anywhere in the window and the longest gap between
// two of them while the scan runs.
class PaintWatch : public QObject
{
  public:
    void start()
    {
        clock_.start();
        last_ = 0;
        paints_ = 0;
        longest_ = 0;
        on_ = true;
    }
    void stop()
    {
        on_ = false;
        longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
    }
    int paints() const { return paints_; }
    double longestGapMs() const { return double(longest_) / 1e6; }

  protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (on_ && e->type() == QEvent::Paint) {
            const qint64 now = clock_.nsecsElapsed();
            if (now - last_ > 1'000'000) { // one repaint of many widgets is one
                longest_ = std::max(longest_, now - last_);
                last_ = now;
                ++paints_;
            }
        }
        return QObject::eventFilter(o, e);
    }

  private:
    QElapsedTimer clock_;
    qint64 last_ = 0, longest_ = 0;
    int paints_ = 0;
    bool on_ = false;
};

int usage()
{
    std::fputs("usage: volumescope-window-bench sizes|dupes FOLDER\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return usage();
    const QByteArray command = argv[1];
    const QByteArray folder = QFile::encodeName(QDir(QFile::decodeName(argv[2])).absolutePath());
    const vs::WindowServices services = vs::DefaultWindowServices();

    PaintWatch watch;
    app.installEventFilter(&watch);
    QElapsedTimer timer;
    QString count;
    if (command == "sizes") {
        vs::Form1 window(services, folder);
        window.show();
        QTest::qWaitForWindowExposed(&window);
        QApplication::processEvents();
        watch.start();
        timer.start();
        // F5 acts on its release, which returns once the scan has ended.
        QTest::keyClick(&window, Qt::Key_F5);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        watch.stop();
        count = window.findChild<QLabel *>(QStringLiteral("Label1"))->text();
        std::printf("%.3f\t%s\t%d paints\t%.1f ms longest gap\n", seconds, count.toUtf8().constData(),
                    watch.paints(), watch.longestGapMs());
    } else if (command == "dupes") {
        vs::Form2 window(services);
        window.show();
        QTest::qWaitForWindowExposed(&window);
        window.findChild<vs::DirListBox *>(QStringLiteral("Dir1"))->openAt(folder);
        QApplication::processEvents();
        auto *scan = window.findChild<QPushButton *>(QStringLiteral("Command4"));
        watch.start();
        timer.start();
        QTest::mouseClick(scan, Qt::LeftButton);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        watch.stop();
        count = window.findChild<vs::StatusPanel *>(QStringLiteral("Panel3"))->text();
        std::printf("%.3f\t%s\t%d paints\t%.1f ms longest gap\n", seconds, count.toUtf8().constData(),
                    watch.paints(), watch.longestGapMs());
    } else {
        return usage();
    }
    return 0;
}
