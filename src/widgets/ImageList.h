// The main window's picture list: fifteen 16 x 16 pictures, numbered from 1.
// 1-7 colour-band marks (red, orange, yellow, green, cyan, blue, magenta),
// 8 descending and 9 ascending sort marks, 10 the parent row, 11-15 the
// toolbar's refresh, open, print, duplicates and help.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <cstdint>

namespace vs
{

constexpr int kImageListCount = 15;
// Colour of band 1..7 as a 0x00BBGGRR value.
uint32_t BandColorBgr(int band);
QColor BandColor(int band);
// Picture 1..15; drawn once and cached.
QPixmap ImageList1(int index);
inline QIcon ImageList1Icon(int index)
{
    return QIcon(ImageList1(index));
}

} // namespace vs
