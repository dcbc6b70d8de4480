// The duplicate finder's progress pictures: an hourglass in seventeen 16 x 16
// frames, numbered from 1. In frames 1 to 9 the sand runs from the upper bulb
// into the lower one; in frames 10 to 17 the glass turns over, so that the
// cycle 1..17 reads as one continuous movement.
#pragma once

#include <QPixmap>

namespace vs
{

constexpr int kHourglassFrames = 17;
// The frame shown once a search has finished.
constexpr int kHourglassDoneFrame = 8;

// Frame 1..17; drawn once and cached. Other numbers give an empty picture.
QPixmap HourglassPicture(int frame);

// The frame after `frame` in the endless cycle: 0 (never shown) and 17 are
// followed by 1.
int NextHourglassFrame(int frame);

} // namespace vs
