// The real shell and message boxes: the desktop's own program for a file,
// and Qt's message box with one OK button.
#pragma once

#include "util/Services.h"

namespace vs {

class DesktopShell final : public Shell {
public:
    void open(const QByteArray &path, QWidget *owner) override;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void show(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
};

// Process-wide defaults the windows use unless a test injects others.
Shell &DefaultShell();
MessageBoxes &DefaultMessageBoxes();

} // namespace vs
