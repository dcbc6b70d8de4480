#include "widgets/ImageList.h"

#include "widgets/Twips.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace vs
{

uint32_t BandColorBgr(int band)
{
    static constexpr std::array<uint32_t, 7> colours = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00,
                                                        0xFFFF00, 0xFF0000, 0xFF00FF};
    if (band < 1 || band > 7)
        return 0;
    return colours[band - 1];
}

QColor BandColor(int band)
{
    return BgrColor(BandColorBgr(band));
}

namespace
{

void drawBand(QPainter &p, int band)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(BandColor(band));
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2.5, 2.5);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(4.5, 4.5), QPointF(8.5, 4.5));
}

void drawArrow(QPainter &p, bool down)
{
    QPainterPath path;
    if (down) {
        path.moveTo(3, 5);
        path.lineTo(13, 5);
        path.lineTo(8, 11);
    } else {
        path.moveTo(3, 11);
        path.lineTo(13, 11);
        path.lineTo(8, 5);
    }
    path.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(90, 90, 90));
    p.drawPath(path);
}

void drawFolder(QPainter &p, const QColor &fill)
{
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(fill);
    QPainterPath path;
    path.moveTo(1.5, 4.5);
    path.lineTo(6.5, 4.5);
    path.lineTo(7.5, 3.0);
    path.lineTo(14.5, 3.0);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
}

void drawParent(QPainter &p)
{
    drawFolder(p, QColor(250, 210, 90));
    p.setPen(QPen(QColor(30, 90, 30), 2));
    p.drawLine(QPointF(8, 12), QPointF(8, 6));
    p.drawLine(QPointF(5, 9), QPointF(8, 6));
    p.drawLine(QPointF(11, 9), QPointF(8, 6));
}

void drawRefresh(QPainter &p)
{
    p.setPen(QPen(QColor(20, 110, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(9, 1);
    head.lineTo(13.5, 4);
    head.lineTo(9, 6.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 110, 40));
    p.drawPath(head);
}

void drawOpen(QPainter &p)
{
    drawFolder(p, QColor(250, 210, 90));
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(255, 235, 150));
    QPainterPath flap;
    flap.moveTo(3.5, 7.5);
    flap.lineTo(15.5, 7.5);
    flap.lineTo(13.5, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    p.drawPath(flap);
}

void drawPrinter(QPainter &p)
{
    p.setPen(QPen(QColor(50, 50, 50), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(12, 8);
}

void drawDuplicates(QPainter &p)
{
    p.setPen(QPen(QColor(40, 40, 90), 1));
    p.setBrush(QColor(210, 225, 255));
    p.drawRect(QRectF(1.5, 1.5, 8, 10));
    p.setBrush(QColor(255, 255, 200));
    p.drawRect(QRectF(6.5, 4.5, 8, 10));
    p.drawLine(QPointF(8.5, 7.5), QPointF(12.5, 7.5));
    p.drawLine(QPointF(8.5, 9.5), QPointF(12.5, 9.5));
    p.drawLine(QPointF(8.5, 11.5), QPointF(12.5, 11.5));
}

void drawHelp(QPainter &p)
{
    p.setPen(QPen(QColor(20, 60, 150), 1));
    p.setBrush(QColor(60, 120, 220));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap draw(int index)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (index >= 1 && index <= 7)
        drawBand(p, index);
    else if (index == 8 || index == 9)
        drawArrow(p, index == 8);
    else if (index == 10)
        drawParent(p);
    else if (index == 11)
        drawRefresh(p);
    else if (index == 12)
        drawOpen(p);
    else if (index == 13)
        drawPrinter(p);
    else if (index == 14)
        drawDuplicates(p);
    else if (index == 15)
        drawHelp(p);
    return pm;
}

} // namespace

QPixmap ImageList1(int index)
{
    static std::array<QPixmap, kImageListCount + 1> cache;
    if (index < 1 || index > kImageListCount)
        return QPixmap();
    if (cache[index].isNull())
        cache[index] = draw(index);
    return cache[index];
}

} // namespace vs
