// The other outside services the windows use, behind small interfaces so
// tests can replace them: the shell's open, message boxes and the event-loop
// yield at which long work lets the user in.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

namespace vs
{

class Shell
{
  public:
    virtual ~Shell() = default;
    // Opens a file or folder with the desktop's program for it. The result is
    // not awaited and not examined.
    virtual void open(const QByteArray &path, QWidget *owner) = 0;
};

class MessageBoxes
{
  public:
    enum class Icon { Information, Exclamation, Critical, Question };
    virtual ~MessageBoxes() = default;
    // A modal box with one OK button.
    virtual void show(QWidget *parent, const QString &text, const QString &title, Icon icon) = 0;
};

class EventYield
{
  public:
    virtual ~EventYield() = default;
    // Lets pending window events (paint, clicks, keys) run, then returns.
    virtual void yield() = 0;
};

// The real yield: QCoreApplication::processEvents(), at most once every few
// milliseconds. Long work yields per entry, hundreds of thousands of times a
// second; a pass through the event loop costs microseconds even when nothing
// waits, so the yields in between only read the clock. The first yield after
// a pause always lets the events in. The real shell and message boxes need
// widgets and live in widgets/DesktopServices.h.
class EventLoopYield final : public EventYield
{
  public:
    void yield() override;
};

// The yield the windows use unless a test injects another.
EventYield &DefaultYield();

// True on the thread of a GUI application's event loop, where a wait for a
// worker should keep the windows painted.
bool OnInterfaceThread();
// The one paint-only wait: lets pending paint events run while user input,
// socket notifiers and timers wait for the program's own yields.
void LetPaintsThrough(int maxMilliseconds = 0);

// Long work that lets the user in at its yields lets the user in just the
// same while it waits in a blocking call of its own (one folder's total):
// for the lifetime of this object, a wait on the interface thread handles
// events through `yield`, and the blocking call gives up as soon as
// `abandon` says so (a stopped scan drops what it would measure anyway).
// Events handled inside that yield wait with paints only, so the work is
// never re-entered deeper than at one of its own yields.
class WaitAsAtYield
{
  public:
    WaitAsAtYield(EventYield &yield, std::function<bool()> abandon);
    ~WaitAsAtYield();
    WaitAsAtYield(const WaitAsAtYield &) = delete;
    WaitAsAtYield &operator=(const WaitAsAtYield &) = delete;

  private:
    friend bool WhileInterfaceWaits();
    friend bool InterfaceWaitAbandoned();
    EventYield &yield_;
    std::function<bool()> abandon_;
    WaitAsAtYield *outer_;
    bool inside_ = false;
};

// What a blocking call on the interface thread does every few milliseconds
// while it waits: the paint-only wait, or the yield of the WaitAsAtYield in
// force. True when the call should give up.
bool WhileInterfaceWaits();
// True when the WaitAsAtYield in force asks blocking calls to give up;
// handles no events.
bool InterfaceWaitAbandoned();

} // namespace vs
