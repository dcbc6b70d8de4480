#include "Services.h"

#include "FileSystem.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrl>

namespace vs {

QByteArray WithTrailingSlash(const QByteArray &path)
{
    return path.endsWith('/') ? path : path + '/';
}

QByteArray JoinPath(const QByteArray &folder, const QByteArray &name)
{
    return WithTrailingSlash(folder) + name;
}

QString DisplayPath(const QByteArray &path)
{
    return QFile::decodeName(path);
}

void DesktopShell::open(const QByteArray &path, QWidget *)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path)));
}

void QtMessageBoxes::show(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information: qicon = QMessageBox::Information; break;
    case Icon::Exclamation: qicon = QMessageBox::Warning; break;
    case Icon::Critical: qicon = QMessageBox::Critical; break;
    case Icon::Question: qicon = QMessageBox::Question; break;
    }
    QMessageBox box(qicon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void EventLoopYield::yield()
{
    QCoreApplication::processEvents();
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

EventYield &DefaultYield()
{
    static EventLoopYield y;
    return y;
}

} // namespace vs
