#include "ColourLegend.h"

#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QPainter>

namespace vs
{

ColourLegend::ColourLegend(QWidget *parent) : QWidget(parent) {}

std::vector<ColourLegend::Placement> ColourLegend::Layout()
{
    std::vector<Placement> placements;
    for (int r = 0; r <= 6; ++r)
        for (int k = 0; k <= 6 - r; ++k)
            placements.push_back({k + 1, QPoint(Px(k * 200), Px(r * 200))});
    return placements;
}

void ColourLegend::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (const Placement &placement : Layout())
        p.drawPixmap(placement.pos, ImageList1(placement.picture));
}

} // namespace vs
