// volumescope-window-bench: the real windows on a folder, offscreen or on
// whatever display is set, timed from the key press or click that starts a
// scan to the final count, for comparison with volumescope-bench.
//
//   volumescope-window-bench sizes FOLDER   F5 in the main window
//   volumescope-window-bench dupes FOLDER   "Сканировать" in the duplicate finder
//   volumescope-window-bench yield          the cost of one yield with no event waiting
//   volumescope-window-bench dupes-stop FOLDER [MS]
//                                           "Отмена" pressed MS (default 100) ms into
//                                           the comparison of "Сканировать"
//
// Prints: seconds, the final count text, repaints during the scan and the
// longest time between two of them; dupes-stop prints the time from the
// moment meant for the press (the press itself waits for the next yield)
// until the window is idle again, and the final count text. A window repaints only what changed;
// with VS_PAINT_PROBE=1 one small control asks for a repaint again after
// each of its paints, so the figures say how often the window could repaint
// (at some cost to the time).
#include "app/Form1.h"
#include "dupes/Form2.h"
#include "dupes/StatusPanel.h"
#include "util/Services.h"
#include "widgets/DirListBox.h"
#include "widgets/WindowServices.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

// Counts paint events anywhere in the window and the longest gap between
// two of them while the scan runs.
class PaintWatch : public QObject
{
  public:
    // Repaint `w` again after each of its paints.
    void probe(QWidget *w) { probe_ = w; }
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
        if (on_ && e->type() == QEvent::Paint && probe_ && o == probe_)
            probe_->update();
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
    QWidget *probe_ = nullptr;
};

int usage()
{
    std::fputs("usage: volumescope-window-bench sizes|dupes FOLDER | dupes-stop FOLDER [MS] | yield\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "yield") {
        vs::EventYield &yield = vs::DefaultYield();
        constexpr int kCalls = 10'000'000;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kCalls; ++i)
            yield.yield();
        std::printf("%.1f ns a yield\n", double(timer.nsecsElapsed()) / kCalls);
        return 0;
    }
    if (argc != 3 && !(argc == 4 && QByteArray(argv[1]) == "dupes-stop"))
        return usage();
    const QByteArray command = argv[1];
    const QByteArray folder = QFile::encodeName(QDir(QFile::decodeName(argv[2])).absolutePath());
    const vs::WindowServices services = vs::DefaultWindowServices();

    PaintWatch watch;
    app.installEventFilter(&watch);
    const bool probe = qEnvironmentVariableIntValue("VS_PAINT_PROBE") == 1;
    QElapsedTimer timer;
    QString count;
    // The duplicate finder shown, on the folder, ready for "Сканировать".
    const auto showDupes = [&folder](vs::Form2 &window) {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        window.findChild<vs::DirListBox *>(QStringLiteral("Dir1"))->openAt(folder);
        QApplication::processEvents();
        return window.findChild<QPushButton *>(QStringLiteral("Command4"));
    };
    if (command == "sizes") {
        vs::Form1 window(services, folder);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        QApplication::processEvents();
        auto *label = window.findChild<QLabel *>(QStringLiteral("Label1"));
        if (probe) {
            watch.probe(label);
            label->update();
        }
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
        QPushButton *scan = showDupes(window);
        auto *panel = window.findChild<vs::StatusPanel *>(QStringLiteral("Panel4"));
        if (probe) {
            watch.probe(panel);
            panel->update();
        }
        watch.start();
        timer.start();
        QTest::mouseClick(scan, Qt::LeftButton);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        watch.stop();
        count = window.findChild<vs::StatusPanel *>(QStringLiteral("Panel3"))->text();
        std::printf("%.3f\t%s\t%d paints\t%.1f ms longest gap\n", seconds, count.toUtf8().constData(),
                    watch.paints(), watch.longestGapMs());
    } else if (command == "dupes-stop") {
        const int delayMs = argc == 4 ? std::atoi(argv[3]) : 100;
        vs::Form2 window(services);
        QPushButton *scan = showDupes(window);
        auto *stage = window.findChild<vs::StatusPanel *>(QStringLiteral("Panel2"));
        // Looks at every yield for the comparison; presses "Отмена" once the
        // chosen time into it has passed.
        QElapsedTimer clock;
        clock.start();
        qint64 comparing = -1, meant = -1, pressed = -1;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (comparing < 0 && stage->text() == QStringLiteral("Сравнение файлов..."))
                comparing = now;
            if (comparing >= 0 && pressed < 0 && now >= comparing + qint64(delayMs) * 1'000'000) {
                meant = comparing + qint64(delayMs) * 1'000'000;
                pressed = now;
                poll.stop();
                QTest::mouseClick(scan, Qt::LeftButton);
            }
        });
        poll.start();
        QTest::mouseClick(scan, Qt::LeftButton);
        const qint64 idle = clock.nsecsElapsed();
        poll.stop();
        count = window.findChild<vs::StatusPanel *>(QStringLiteral("Panel3"))->text();
        if (pressed < 0) {
            std::printf("not stopped (the comparison took less than %d ms)\t%s\n", delayMs,
                        count.toUtf8().constData());
            return 1;
        }
        std::printf("%.1f ms stop answer\t(%.1f ms after the press)\t%s\t%s\n", double(idle - meant) / 1e6,
                    double(idle - pressed) / 1e6, count.toUtf8().constData(),
                    scan->text() == QStringLiteral("Сканировать") && scan->isEnabled() ? "idle" : "NOT idle");
    } else {
        return usage();
    }
    std::fputs(QAccessible::isActive() ? "accessibility bridge: active\n" : "accessibility bridge: off\n",
               stderr);
    return 0;
}
