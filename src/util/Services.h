// The other outside services the windows use, behind small interfaces so
// tests can replace them: the shell's open, message boxes and the event-loop
// yield at which long work lets the user in.
#pragma once

#include <QByteArray>
#include <QString>

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

// The real yield: QCoreApplication::processEvents(). The real shell and
// message boxes need widgets and live in widgets/DesktopServices.h.
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

} // namespace vs
