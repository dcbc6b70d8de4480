// The other outside services the windows use, behind small interfaces so
// tests can replace them: the shell's open, message boxes and the event-loop
// yield at which long work lets the user in.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace vs {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or folder with the desktop's program for it. The result is
    // not awaited and not examined.
    virtual void open(const QByteArray &path, QWidget *owner) = 0;
};

class MessageBoxes {
public:
    enum class Icon { Information, Exclamation, Critical, Question };
    virtual ~MessageBoxes() = default;
    // A modal box with one OK button.
    virtual void show(QWidget *parent, const QString &text, const QString &title, Icon icon) = 0;
};

class EventYield {
public:
    virtual ~EventYield() = default;
    // Lets pending window events (paint, clicks, keys) run, then returns.
    virtual void yield() = 0;
};

// The real services.
class DesktopShell final : public Shell {
public:
    void open(const QByteArray &path, QWidget *owner) override;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void show(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
};

class EventLoopYield final : public EventYield {
public:
    void yield() override;
};

// Process-wide defaults the windows use unless a test injects others.
Shell &DefaultShell();
MessageBoxes &DefaultMessageBoxes();
EventYield &DefaultYield();

} // namespace vs
