#include "util/Services.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

namespace vs
{

namespace
{

// Often enough for a stop press to feel immediate and for 20 repaints a
// second many times over; rare enough that the yields cost nothing.
constexpr auto kEventLoopInterval = std::chrono::milliseconds(4);

WaitAsAtYield *g_wait = nullptr; // interface thread only

} // namespace

void EventLoopYield::yield()
{
    // steady_clock is read through the vDSO: some tens of nanoseconds.
    static std::chrono::steady_clock::time_point next;
    const auto now = std::chrono::steady_clock::now();
    if (now < next)
        return;
    QCoreApplication::processEvents();
    next = std::chrono::steady_clock::now() + kEventLoopInterval;
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

WaitAsAtYield::WaitAsAtYield(EventYield &yield, std::function<bool()> abandon)
    : yield_(yield), abandon_(std::move(abandon)), outer_(g_wait)
{
    g_wait = this;
}

WaitAsAtYield::~WaitAsAtYield()
{
    g_wait = outer_;
}

bool WhileInterfaceWaits()
{
    WaitAsAtYield *w = g_wait;
    if (!w || w->inside_) {
        LetPaintsThrough();
        return w && w->abandon_ && w->abandon_();
    }
    w->inside_ = true;
    try {
        w->yield_.yield();
    } catch (...) {
        w->inside_ = false;
        throw;
    }
    w->inside_ = false;
    return w->abandon_ && w->abandon_();
}

bool InterfaceWaitAbandoned()
{
    return g_wait && g_wait->abandon_ && g_wait->abandon_();
}

} // namespace vs
