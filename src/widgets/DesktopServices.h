// The real shell and message boxes: the desktop's own program for a file,
// and Qt's message box with one OK button.
#pragma once

#include "util/Services.h"

#include <QUrl>

namespace vs
{

// The file URL of a path taken as bytes: every byte outside the unreserved
// set is percent-encoded, "/" kept, so a name that is not valid UTF-8 reaches
// the desktop as the same bytes instead of as U+FFFD characters.
QUrl FileUrlFromPath(const QByteArray &path);

class DesktopShell final : public Shell
{
  public:
    void open(const QByteArray &path, QWidget *owner) override;
};

class QtMessageBoxes final : public MessageBoxes
{
  public:
    void show(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
};

// Process-wide defaults the windows use unless a test injects others.
Shell &DefaultShell();
MessageBoxes &DefaultMessageBoxes();

} // namespace vs
