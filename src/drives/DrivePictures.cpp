#include "drives/DrivePictures.h"

#include <QPainter>
#include <QPainterPath>

namespace vs
{

namespace
{

QPixmap Blank(int size = 16)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// A drive body seen from the front, slightly from above.
void DrawDriveBody(QPainter &p, const QColor &face, bool light = true)
{
    p.setPen(QColor(64, 64, 64));
    p.setBrush(face.lighter(125));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(13, 7), QPoint(15, 9), QPoint(1, 9)}));
    p.setBrush(face);
    p.drawRect(1, 9, 14, 5);
    if (light) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 200, 0));
        p.drawRect(12, 11, 2, 2);
    }
}

} // namespace

QPixmap DrivePicture(int code)
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    switch (code) {
    case 1:
    case 6:
        DrawDriveBody(p, QColor(192, 192, 192));
        break;
    case 2: // removable: a drive with a slot and a cartridge standing in it
        p.setPen(QColor(0, 0, 0));
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(4, 1, 8, 8);
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(6, 2, 4, 3);
        DrawDriveBody(p, QColor(192, 192, 192), false);
        p.setPen(QColor(0, 0, 0));
        p.drawLine(4, 11, 11, 11);
        break;
    case 3: // hard disk: a darker, flat case with a light
        DrawDriveBody(p, QColor(150, 150, 160));
        p.setPen(QColor(90, 90, 90));
        p.drawLine(3, 12, 9, 12);
        break;
    case 4: { // network: a drive on a cable with a plug
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.drawLine(8, 14, 8, 15);
        p.drawLine(2, 15, 14, 15);
        DrawDriveBody(p, QColor(192, 192, 192));
        p.setPen(QColor(0, 0, 0));
        p.setBrush(QColor(255, 215, 0));
        p.drawRect(5, 1, 6, 4);
        p.drawLine(7, 0, 7, 1);
        p.drawLine(9, 0, 9, 1);
        p.drawLine(8, 5, 8, 7);
        break;
    }
    case 5: { // CD drive: a drive with a disc above it
        DrawDriveBody(p, QColor(192, 192, 192));
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(QPointF(8, 5), 6);
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(0.5, QColor(180, 220, 255));
        g.setColorAt(1, QColor(230, 180, 255));
        p.setPen(QColor(100, 100, 100));
        p.setBrush(g);
        p.drawEllipse(QPointF(8, 4.5), 6, 3.5);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(8, 4.5), 1.5, 1);
        break;
    }
    default: { // unknown: a drive with a red question mark
        DrawDriveBody(p, QColor(192, 192, 192), false);
        QFont f(QStringLiteral("Sans Serif"));
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(255, 0, 0));
        p.drawText(QRect(0, -1, 16, 11), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    return pm;
}

QPixmap UsersPicture()
{
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto person = [&](double x, double y, const QColor &shirt) {
        p.setPen(QColor(60, 40, 20));
        p.setBrush(QColor(250, 205, 160));
        p.drawEllipse(QPointF(x, y), 2.5, 2.5);
        QPainterPath body;
        body.moveTo(x - 4, y + 9.5);
        body.quadTo(x - 4, y + 3.2, x, y + 3.2);
        body.quadTo(x + 4, y + 3.2, x + 4, y + 9.5);
        body.closeSubpath();
        p.setBrush(shirt);
        p.drawPath(body);
    };
    person(10.5, 3.5, QColor(0, 128, 0));
    person(5.5, 5.5, QColor(0, 0, 200));
    return pm;
}

QIcon OverviewIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm = Blank(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(1, 1, size - 2, size - 2);
        p.setPen(QPen(QColor(0, 0, 96), size / 16.0));
        p.setBrush(QColor(0, 0, 255));
        p.drawPie(r, 90 * 16, 270 * 16);
        p.setBrush(QColor(120, 160, 255));
        p.drawPie(r.translated(size / 16.0, -size / 16.0), 0, 90 * 16);
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace vs
