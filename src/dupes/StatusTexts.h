// The finished texts of a duplicate search in the status bar.
#pragma once

#include <QString>

namespace vs
{

// Elapsed seconds as a single-precision number with at most 7 significant
// digits and the user's decimal separator, directly followed by "сек.":
// "0,25сек.", "12сек.", "1,234568сек.".
QString ElapsedText(double seconds, const QString &decimalSeparator);

// "Кол-во: " and the number of result rows.
QString CountText(int rows);

} // namespace vs
