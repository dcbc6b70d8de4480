#include "util/Services.h"

#include <QCoreApplication>
#include <QThread>

namespace vs
{

void EventLoopYield::yield()
{
    QCoreApplication::processEvents();
}

EventYield &DefaultYield()
{
    static EventLoopYield y;
    return y;
}

bool OnInterfaceThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && app->inherits("QGuiApplication") && QThread::currentThread() == app->thread();
}

void LetPaintsThrough(int maxMilliseconds)
{
    constexpr auto kPaintsOnly = QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                                 QEventLoop::X11ExcludeTimers;
    if (maxMilliseconds > 0)
        QCoreApplication::processEvents(kPaintsOnly, maxMilliseconds);
    else
        QCoreApplication::processEvents(kPaintsOnly);
}

} // namespace vs
