// Sizes of the whole program. A ByteCount is a whole number of bytes with the
// range of a signed 64-bit fixed-point value of four decimals: anything past
// 922,337,203,685,477 bytes is an overflow (error 6), never a silent wrap.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

namespace vs
{

class ByteCount
{
  public:
    static constexpr int64_t kMaxBytes = 922337203685477LL;

    constexpr ByteCount() = default;
    // Throws VsError 6 when the count does not fit.
    static ByteCount fromBytes(uint64_t bytes);

    constexpr int64_t bytes() const { return bytes_; }
    // The stored fixed-point integer (bytes times 10,000).
    constexpr int64_t scaled() const { return bytes_ * 10000; }

    ByteCount operator+(ByteCount other) const; // throws VsError 6
    ByteCount &operator+=(ByteCount other);

    friend constexpr bool operator==(ByteCount a, ByteCount b) { return a.bytes_ == b.bytes_; }
    friend constexpr auto operator<=>(ByteCount a, ByteCount b) { return a.bytes_ <=> b.bytes_; }

  private:
    int64_t bytes_ = 0;
};

// The user's decimal separator (QLocale's default locale).
QString UserDecimalSeparator();

// A byte count as a short text with one decimal and a unit, e.g. "117,7 Мбайт".
QString SizeText(ByteCount v);
QString SizeText(ByteCount v, const QString &decimalSeparator);
// A raw count from a free-space query; throws VsError 6 past the ByteCount range.
QString SizeTextFromRawCount(uint64_t raw);
// The same text for any 64-bit count, with no range check: for callers that
// show volumes larger than a ByteCount holds.
QString SizeTextUnchecked(uint64_t bytes, const QString &decimalSeparator);

// Drops a trailing separator and puts "0" before a leading one.
void TrimDecimalComma(QString &text, const QString &decimalSeparator);
void TrimDecimalComma(QString &text);

// The name of a drive type code (0 unknown ... 6 RAM disk) and the picture code
// 1..7 handed back through `code`.
QString DriveTypeName(int platformCode, int &code);

} // namespace vs
