// Geometry is designed in twips (15 to a device-independent pixel) and
// colours as 0x00BBGGRR values; these helpers turn both into Qt's units.
#pragma once

#include <QColor>
#include <QRect>
#include <cmath>
#include <cstdint>

namespace vs
{

constexpr double kTwipsPerPixel = 15.0;

// Twips to pixels, halves to even.
inline int Px(double twips)
{
    return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel));
}
inline double Tw(int pixels)
{
    return pixels * kTwipsPerPixel;
}
inline QRect TwRect(double left, double top, double width, double height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}
inline QColor BgrColor(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace vs
