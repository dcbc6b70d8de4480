// How one measured folder becomes a row of the result list: the length of
// its bar of "|" relative to the largest folder, the colour band of that
// length, and the zero-padded size key that makes text order numeric order.
// Plain functions, so the rounding rules are tested without any widget.
#pragma once

#include "util/ByteCount.h"

#include <QByteArray>

namespace vs
{

constexpr int kFullBar = 70;

// 0..70: size / (maxSize / 70), rounded first to hundredths and then to a
// whole number, halves to even both times (17.5 gives 18, 10.5 gives 10).
// 0 when maxSize is 0. The hundredths are decided on the exact quotient, so a
// binary fraction just below a half never flips a tie.
int BarLength(ByteCount size, ByteCount maxSize);
// Colour band 1..7 of a bar length: ten lengths a band, 60..70 in band 7.
int BandOf(int barLength);
// Number of decimal digits of the largest size (1 for 0).
int KeyWidth(ByteCount maxSize);
// The size as decimal digits, padded on the left with '0' to keyWidth.
QByteArray SizeKey(ByteCount size, int keyWidth);

} // namespace vs
