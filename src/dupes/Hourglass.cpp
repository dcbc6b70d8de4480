#include "Hourglass.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace vs
{

namespace
{

// One glass, upright, centred on (0, 0), 12 pixels tall. `upper` and `lower`
// are the parts of the sand (0..1) in each bulb.
void drawGlass(QPainter &p, double upper, double lower)
{
    const QColor frame(110, 70, 30);
    const QColor glass(225, 240, 255);
    const QColor sand(230, 180, 60);

    QPainterPath bulbs;
    bulbs.moveTo(-4.5, -5.5);
    bulbs.lineTo(4.5, -5.5);
    bulbs.cubicTo(4.5, -2.0, 1.0, -1.0, 0.8, 0.0);
    bulbs.cubicTo(1.0, 1.0, 4.5, 2.0, 4.5, 5.5);
    bulbs.lineTo(-4.5, 5.5);
    bulbs.cubicTo(-4.5, 2.0, -1.0, 1.0, -0.8, 0.0);
    bulbs.cubicTo(-1.0, -1.0, -4.5, -2.0, -4.5, -5.5);
    bulbs.closeSubpath();

    p.setPen(QPen(QColor(90, 110, 140), 0.8));
    p.setBrush(glass);
    p.drawPath(bulbs);

    p.save();
    p.setClipPath(bulbs);
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    if (upper > 0.0) {
        // The upper sand sinks towards the neck as it runs out.
        const double top = -0.3 - 5.2 * upper;
        p.drawRect(QRectF(-5.0, top, 10.0, -0.2 - top));
    }
    if (lower > 0.0) {
        const double h = 5.3 * lower;
        QPainterPath heap;
        heap.moveTo(-5.0, 5.6);
        heap.lineTo(5.0, 5.6);
        heap.lineTo(5.0, 5.6 - h * 0.7);
        heap.quadTo(0.0, 5.6 - h * 1.4, -5.0, 5.6 - h * 0.7);
        heap.closeSubpath();
        p.drawPath(heap);
    }
    if (upper > 0.0 && lower < 1.0)
        p.fillRect(QRectF(-0.35, -0.3, 0.7, 5.5), sand); // the falling stream
    p.restore();

    p.setPen(QPen(frame, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-6.0, -6.3), QPointF(6.0, -6.3));
    p.drawLine(QPointF(-6.0, 6.3), QPointF(6.0, 6.3));
}

QPixmap drawFrame(int frame)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(8.0, 8.0);
    if (frame <= 9) {
        const double ran = (frame - 1) / 8.0;
        drawGlass(p, 1.0 - ran, ran);
    } else {
        // Turning over: 20 degrees a frame, full lower bulb going up; frame 1
        // (an upright full glass) completes the half turn.
        p.rotate((frame - 9) * 20.0);
        drawGlass(p, 0.0, 1.0);
    }
    return pm;
}

} // namespace

QPixmap HourglassPicture(int frame)
{
    static std::array<QPixmap, kHourglassFrames> cache;
    if (frame < 1 || frame > kHourglassFrames)
        return QPixmap();
    QPixmap &pm = cache[frame - 1];
    if (pm.isNull())
        pm = drawFrame(frame);
    return pm;
}

int NextHourglassFrame(int frame)
{
    return frame + 1 > kHourglassFrames ? 1 : frame + 1;
}

} // namespace vs
