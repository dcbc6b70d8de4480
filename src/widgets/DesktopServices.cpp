#include "widgets/DesktopServices.h"

#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrl>

namespace vs {

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
