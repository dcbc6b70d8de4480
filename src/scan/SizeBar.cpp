#include "SizeBar.h"

#include <cmath>

namespace vs
{

int BarLength(ByteCount size, ByteCount maxSize)
{
    if (maxSize.bytes() <= 0)
        return 0;
    // q = size * 70 / maxSize; in hundredths size * 7000 / maxSize, which
    // fits 128 bits for any ByteCount.
    const unsigned __int128 num = static_cast<unsigned __int128>(size.bytes()) * (kFullBar * 100);
    const auto den = static_cast<unsigned __int128>(maxSize.bytes());
    auto hundredths = static_cast<long long>(num / den);
    const unsigned __int128 twiceRest = (num % den) * 2;
    if (twiceRest > den || (twiceRest == den && (hundredths & 1)))
        ++hundredths;
    // A multiple of 1/100 ending in ,50 is an exact binary half, so the
    // default rounding mode settles the second tie to even.
    return static_cast<int>(std::nearbyint(static_cast<double>(hundredths) / 100.0));
}

int BandOf(int barLength)
{
    if (barLength < 0)
        barLength = 0;
    return std::min(barLength / 10, 6) + 1;
}

int KeyWidth(ByteCount maxSize)
{
    return static_cast<int>(QByteArray::number(static_cast<qlonglong>(maxSize.bytes())).size());
}

QByteArray SizeKey(ByteCount size, int keyWidth)
{
    const QByteArray digits = QByteArray::number(static_cast<qlonglong>(size.bytes()));
    if (digits.size() >= keyWidth)
        return digits;
    return QByteArray(keyWidth - digits.size(), '0') + digits;
}

} // namespace vs
