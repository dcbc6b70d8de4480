#include "ScreenPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace vs
{

namespace
{

QWidget *MainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Form1") && w->isVisible())
            return w;
    return nullptr;
}

// Frame thickness as left, top, right and bottom widths.
QMargins FrameMargins(const QWidget *w)
{
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

} // namespace

QScreen *MainWindowScreen()
{
    if (const QWidget *main = MainWindow())
        if (QScreen *s = main->screen())
            return s;
    return QGuiApplication::primaryScreen();
}

void PlaceOnScreen(QWidget *window, QScreen *screen)
{
    if (!window || !screen)
        return;
    QMargins frame = FrameMargins(window);
    if (!window->testAttribute(Qt::WA_WState_Created) || frame.isNull()) {
        if (const QWidget *main = MainWindow(); main && main != window)
            frame = FrameMargins(main);
    }
    const QRect area = screen->availableGeometry();
    const QSize room = area.size().shrunkBy(frame);
    const QSize fitted = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (fitted != window->size())
        window->resize(fitted);
    QRect outer(QPoint(), fitted.grownBy(frame));
    outer.moveCenter(area.center());
    // A window larger than the area keeps its title bar on screen.
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    window->move(outer.topLeft());
}

} // namespace vs
