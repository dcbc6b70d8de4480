#include "AppIcon.h"

#include "util/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace vs {

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Folder.
    QPainterPath folder;
    folder.moveTo(4, 14);
    folder.lineTo(24, 14);
    folder.lineTo(29, 20);
    folder.lineTo(60, 20);
    folder.lineTo(60, 56);
    folder.lineTo(4, 56);
    folder.closeSubpath();
    p.setPen(QPen(QColor(120, 88, 20), 2));
    p.setBrush(QColor(240, 196, 80));
    p.drawPath(folder);
    // Bars of falling size in the band colours.
    const int lengths[] = {48, 34, 22, 12};
    const int bands[] = {7, 5, 3, 1};
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(BandColor(bands[i]));
        p.drawRect(QRectF(8, 25 + i * 7.5, lengths[i], 5.5));
    }
    p.end();
    return pm;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace vs
