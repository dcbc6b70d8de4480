#include "WindowIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace vs
{

namespace
{

QPixmap drawIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    // Board.
    p.setPen(QPen(QColor(20, 90, 30), 1.2));
    p.setBrush(QColor(60, 170, 70));
    p.drawRoundedRect(QRectF(3.5, 3.0, 17.0, 19.5), 2.0, 2.0);
    // Sheet.
    p.setPen(QPen(QColor(150, 150, 150), 0.8));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(6.0, 6.0, 12.0, 14.0));
    // Clip.
    p.setPen(QPen(QColor(70, 70, 70), 1.0));
    p.setBrush(QColor(190, 190, 200));
    p.drawRoundedRect(QRectF(8.5, 1.5, 7.0, 4.0), 1.2, 1.2);
    // Tick.
    QPainterPath tick;
    tick.moveTo(8.0, 13.0);
    tick.lineTo(11.0, 16.5);
    tick.lineTo(16.5, 9.0);
    p.setPen(QPen(QColor(20, 130, 30), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return pm;
}

} // namespace

QIcon DupesWindowIcon()
{
    QIcon icon;
    for (int s : {16, 24, 32, 48})
        icon.addPixmap(drawIcon(s));
    return icon;
}

} // namespace vs
