#include "drives/UsageChart.h"

#include "widgets/Twips.h"

#include <QPainter>
#include <cmath>

namespace vs
{

namespace
{
constexpr double kPi = 3.1415; // the chart's own constant: its rim points follow from it
constexpr double kCentreX = 2000, kCentreY = 700, kHalfWidth = 1500, kHalfHeight = 500, kWall = 150;
} // namespace

int FreeAngle(uint64_t totalBytes, uint64_t freeBytes)
{
    if (totalBytes == 0)
        return 0;
    const double degrees = double(freeBytes) / (double(totalBytes) / 100.0) * (360.0 / 100.0);
    if (!std::isfinite(degrees) || degrees < 0)
        return 0;
    if (degrees >= 360)
        return 360;
    return static_cast<int>(std::nearbyint(degrees)); // the default rounding: halves to even
}

QPointF ChartRimPoint(int degrees)
{
    const double r = degrees * kPi / 180.0;
    return {kCentreX + kHalfWidth * std::sin(r), kCentreY + kHalfHeight * std::cos(r)};
}

std::vector<ChartLine> UsageChartLines(uint64_t totalBytes, uint64_t freeBytes)
{
    const int freeAngle = FreeAngle(totalBytes, freeBytes);
    std::vector<ChartLine> lines;
    lines.reserve(722);
    for (int a = 0; a <= 360; ++a) {
        const QPointF p = ChartRimPoint(a);
        lines.push_back({p, p + QPointF(0, kWall), freeAngle >= a ? kWallFree : kWallUsed});
    }
    for (int a = 0; a <= 360; ++a)
        lines.push_back(
            {QPointF(kCentreX, kCentreY), ChartRimPoint(a), freeAngle >= a ? kFaceFree : kFaceUsed});
    return lines;
}

QImage DrawUsageChart(uint64_t totalBytes, uint64_t freeBytes, const QColor &background,
                      double devicePixelRatio)
{
    const QSize size(Px(kChartWidth), Px(kChartHeight));
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    QPainter painter(&image);
    for (const ChartLine &line : UsageChartLines(totalBytes, freeBytes)) {
        painter.setPen(QPen(BgrColor(line.bgr), kChartPenPixels));
        painter.drawLine(QLineF(line.from / kTwipsPerPixel, line.to / kTwipsPerPixel));
    }
    return image;
}

} // namespace vs
