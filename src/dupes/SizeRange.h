// The size fields of the duplicate finder's settings panel. A field holds a
// number in the chosen unit; its byte label shows that number times 1024 to
// the unit's index. The label's text is what "Закрыть" later reads back, so
// the text and the reading must agree exactly.
#pragma once

#include <QString>
#include <optional>

namespace vs
{

// The number at the start of a text, read with "." as the decimal point;
// blanks are skipped and reading stops at the first character that cannot
// continue the number. "1,5" is 1, "12abc" is 12, no number at all is 0.
double LeadingNumber(const QString &text);

// A number as plain text: no digit grouping, at most 15 significant digits,
// `decimalSeparator` as the decimal point, exponent form ("1E+15",
// "1,5E-05") for very large or very small values.
QString DefaultNumberText(double value, const QString &decimalSeparator);

// 1024 to the power of the unit index (0 bytes, 1 KiB, 2 MiB, 3 GiB).
double UnitMultiplier(int unitIndex);

// The byte label's text for a field text in a unit.
QString FieldBytesText(const QString &fieldText, int unitIndex, const QString &decimalSeparator);

// A field's text tidied: blanks around it removed, "0" when nothing is left.
QString TidyFieldText(const QString &fieldText);

// A byte label read back: the number in the label's own format, rounded to
// four decimals. Empty when it passes the largest size the program holds
// (every label in exponent form from 1E+15 on does) or is not a number.
std::optional<double> ReadByteLabel(const QString &caption, const QString &decimalSeparator);

// Whole, non-negative byte bounds that let the file filter pass exactly the
// files the bounds read from the labels pass. The filter takes a file when
// `size > min` (upper bound off) or `min <= size <= max` (on). Fractions:
// "size > 1.5" is "size > 1", "1.5 <= size" is "2 <= size", "size <= 1.5" is
// "size <= 1". Negative bounds: "size > -1" takes every file, empty ones
// too, which is "0 <= size <= largest"; a negative upper bound takes none.
struct ByteBounds {
    long long minBytes = 0;
    long long maxBytes = 0;
    bool useMax = false;
};
ByteBounds WholeByteBounds(double minBytes, double maxBytes, bool useMax);

// Texts of the panel's messages.
QString SwapMessageText();
QString RangeTooLargeText(bool upperField);

} // namespace vs
