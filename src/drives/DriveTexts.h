// Texts of the drive overview's detail panel.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

namespace vs
{

// Whole bytes grouped by thousands with the locale's group separator,
// followed by " байт ".
QString ExactCountText(uint64_t bytes, const QLocale &locale = QLocale());

// The serial number read as a signed 32-bit number, without its sign:
// 4294967295 shows 1, 2147483648 shows itself.
QString SerialText(uint32_t serial);

// The short size text of a raw count. A count past what a ByteCount holds is
// still shown, followed by kTooLargeMark, instead of failing.
QString ShortCountText(uint64_t bytes);
bool IsTooLargeCount(uint64_t bytes);
inline const QString kTooLargeMark = QStringLiteral(" (!)");
QString TooLargeToolTip();

} // namespace vs
