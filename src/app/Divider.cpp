#include "Divider.h"

#include "widgets/Twips.h"

#include <QMouseEvent>
#include <QPainter>

namespace vs
{

Divider::Divider(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setCursor(dividerCursor());
}

QCursor Divider::dividerCursor()
{
    // Two bars with an arrow out of each side: drag sideways.
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    auto draw = [&p](const QColor &c, int grow) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(13 - grow, 6 - grow, 2 + 2 * grow, 19 + 2 * grow);
        p.drawRect(17 - grow, 6 - grow, 2 + 2 * grow, 19 + 2 * grow);
        const QPoint left[] = {QPoint(3, 15), QPoint(9, 9 - grow), QPoint(9, 21 + grow)};
        const QPoint right[] = {QPoint(28, 15), QPoint(22, 9 - grow), QPoint(22, 21 + grow)};
        p.drawPolygon(left, 3);
        p.drawPolygon(right, 3);
        p.drawRect(8, 14 - grow, 4, 2 + 2 * grow);
        p.drawRect(20, 14 - grow, 4, 2 + 2 * grow);
    };
    draw(Qt::white, 1);
    draw(Qt::black, 0);
    p.end();
    return QCursor(pm, 15, 15);
}

void Divider::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button(), event->modifiers(), event->position().x() * kTwipsPerPixel);
    event->accept();
}

void Divider::mouseMoveEvent(QMouseEvent *event)
{
    emit moved(event->buttons(), event->modifiers(), event->position().x() * kTwipsPerPixel);
    event->accept();
}

} // namespace vs
