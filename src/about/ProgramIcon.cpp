#include "ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace vs
{

namespace
{

// Geometry on a 256-unit grid, kept in step with resources/icons/volumescope.svg.
constexpr double kCx = 128, kCy = 104, kRx = 112, kRy = 62, kWall = 44;
// The free share, in degrees counter-clockwise from three o'clock (Qt's
// convention, y up): the slice at the front right.
constexpr double kFreeFrom = 280, kFreeTo = 350;

QPointF onRim(double degrees, double dy = 0)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {kCx + kRx * std::cos(a), kCy - kRy * std::sin(a) + dy};
}

// The part of the front wall below the rim between two angles (180..360).
QPainterPath wall(double from, double to)
{
    QPolygonF poly;
    for (double a = from; a <= to + 1e-9; a += 2)
        poly << onRim(a);
    for (double a = to; a >= from - 1e-9; a -= 2)
        poly << onRim(a, kWall);
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

} // namespace

QImage DrawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    // Small icons keep an outline of at least one device pixel.
    const double outline = std::max(6.0, 256.0 / size);
    const QPen pen(QColor(0x18, 0x1e, 0x4a), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QRectF top(kCx - kRx, kCy - kRy, 2 * kRx, 2 * kRy);

    // Lower the whole disk so that it sits centred in the square.
    p.translate(0, 256.0 / 2 - (kCy + kWall / 2));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x3f, 0xa8));
    p.drawPath(wall(180, kFreeFrom));
    p.drawPath(wall(kFreeTo, 360));
    p.setBrush(QColor(0xa0, 0x20, 0xa0));
    p.drawPath(wall(kFreeFrom, kFreeTo));

    QLinearGradient blue(0, kCy - kRy, 0, kCy + kRy);
    blue.setColorAt(0, QColor(0x6f, 0x9c, 0xff));
    blue.setColorAt(1, QColor(0x2c, 0x5c, 0xe0));
    QLinearGradient magenta(0, kCy - kRy, 0, kCy + kRy);
    magenta.setColorAt(0, QColor(0xff, 0x7a, 0xff));
    magenta.setColorAt(1, QColor(0xe0, 0x30, 0xe0));
    p.setBrush(blue);
    p.drawPie(top, int(kFreeTo * 16), int((360 - (kFreeTo - kFreeFrom)) * 16));
    p.setBrush(magenta);
    p.drawPie(top, int(kFreeFrom * 16), int((kFreeTo - kFreeFrom) * 16));

    // Outline: rim, wall sides and bottom edge, and the slice's two cuts.
    p.setBrush(Qt::NoBrush);
    p.setPen(pen);
    QPainterPath rimAndWall;
    rimAndWall.addEllipse(top);
    rimAndWall.moveTo(onRim(180));
    rimAndWall.lineTo(onRim(180, kWall));
    rimAndWall.arcTo(top.translated(0, kWall), 180, 180);
    rimAndWall.lineTo(onRim(360));
    p.drawPath(rimAndWall);
    p.drawLine(QPointF(kCx, kCy), onRim(kFreeFrom));
    p.drawLine(QPointF(kCx, kCy), onRim(kFreeTo));
    p.drawLine(onRim(kFreeFrom), onRim(kFreeFrom, kWall));
    p.drawLine(onRim(kFreeTo), onRim(kFreeTo, kWall));
    p.end();
    return image;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
    return icon;
}

} // namespace vs
