#include "widgets/DesktopServices.h"

#include <QDesktopServices>
#include <QMessageBox>

namespace vs
{

QUrl FileUrlFromPath(const QByteArray &path)
{
    if (path.isEmpty())
        return QUrl();
    // An absolute path gets an empty authority ("file:///..."), so a path that
    // starts with "//" stays a path and is not read as a host name.
    const QByteArray prefix =
        path.startsWith('/') ? QByteArrayLiteral("file://") : QByteArrayLiteral("file:");
    return QUrl::fromEncoded(prefix + path.toPercentEncoding("/"), QUrl::StrictMode);
}

void DesktopShell::open(const QByteArray &path, QWidget *)
{
    QDesktopServices::openUrl(FileUrlFromPath(path));
}

void QtMessageBoxes::show(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information:
        qicon = QMessageBox::Information;
        break;
    case Icon::Exclamation:
        qicon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        qicon = QMessageBox::Critical;
        break;
    case Icon::Question:
        qicon = QMessageBox::Question;
        break;
    }
    QMessageBox box(qicon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

Shell &DefaultShell()
{
    static DesktopShell shell;
    return shell;
}

MessageBoxes &DefaultMessageBoxes()
{
    static QtMessageBoxes boxes;
    return boxes;
}

} // namespace vs
