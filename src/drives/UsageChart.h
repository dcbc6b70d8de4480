// The usage chart: a flat cylinder seen from slightly above, its top face and
// front wall split into the free share (magenta shades) and the used share
// (blue shades). It is drawn only with straight lines from a fixed geometry in
// twips: first 361 wall lines, then 361 spokes of the face that paint over
// the wall inside the rim, so the wall shows only below the front half.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <cstdint>
#include <vector>

namespace vs
{

struct ChartLine {
    QPointF from; // twips, origin top-left of the canvas
    QPointF to;
    uint32_t bgr; // 0x00BBGGRR
};

constexpr double kChartWidth = 3945; // twips
constexpr double kChartHeight = 1590;
constexpr double kChartPenPixels = 2;
constexpr uint32_t kWallFree = 0x800080; // purple
constexpr uint32_t kWallUsed = 0x800000; // navy
constexpr uint32_t kFaceFree = 0xFF00FF; // magenta
constexpr uint32_t kFaceUsed = 0xFF0000; // blue

// The free share in whole degrees, halves to even; 0 for a total of 0. A free
// count above the total (a file system that reports so) is the whole disc.
int FreeAngle(uint64_t totalBytes, uint64_t freeBytes);

// The rim point at a whole degree: 0 is the front, 90 the right end.
QPointF ChartRimPoint(int degrees);

// 722 lines in drawing order.
std::vector<ChartLine> UsageChartLines(uint64_t totalBytes, uint64_t freeBytes);

// The lines drawn on a canvas of the chart's size (in pixels, 15 twips each)
// filled with background first; devicePixelRatio gives a sharp image on
// high-density screens.
QImage DrawUsageChart(uint64_t totalBytes, uint64_t freeBytes, const QColor &background,
                      double devicePixelRatio = 1.0);

} // namespace vs
