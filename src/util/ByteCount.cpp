#include "ByteCount.h"

#include "Errors.h"

#include <QLocale>
#include <cmath>

namespace vs
{

ByteCount ByteCount::fromBytes(uint64_t bytes)
{
    if (bytes > static_cast<uint64_t>(kMaxBytes))
        throw MakeError(6);
    ByteCount c;
    c.bytes_ = static_cast<int64_t>(bytes);
    return c;
}

ByteCount ByteCount::operator+(ByteCount other) const
{
    if (other.bytes_ > kMaxBytes - bytes_)
        throw MakeError(6);
    ByteCount c;
    c.bytes_ = bytes_ + other.bytes_;
    return c;
}

ByteCount &ByteCount::operator+=(ByteCount other)
{
    *this = *this + other;
    return *this;
}

QString UserDecimalSeparator()
{
    return QLocale().decimalPoint();
}

void TrimDecimalComma(QString &text, const QString &sep)
{
    if (sep.isEmpty())
        return;
    if (text.endsWith(sep))
        text.chop(sep.size());
    if (text.startsWith(sep))
        text.prepend(QLatin1Char('0'));
}

void TrimDecimalComma(QString &text)
{
    TrimDecimalComma(text, UserDecimalSeparator());
}

QString SizeTextUnchecked(uint64_t v, const QString &sep)
{
    const QString digits = QString::number(v);
    const int n = digits.size();
    if (n <= 2)
        return digits + QStringLiteral(" байт");

    double divisor;
    QString unit;
    if (n <= 6) {
        divisor = 1024.0;
        unit = QStringLiteral(" Кбайт");
    } else if (n <= 9) {
        divisor = std::pow(1024.0, 2);
        unit = QStringLiteral(" Мбайт");
    } else if (n <= 12) {
        divisor = std::pow(1024.0, 3);
        unit = QStringLiteral(" Гбайт");
    } else if (n <= 15) {
        divisor = std::pow(1024.0, 4);
        unit = QStringLiteral(" Тбайт");
    } else {
        divisor = std::pow(1024.0, n / 3);
        unit = QStringLiteral(" Xбайт");
    }
    const double q = static_cast<double>(v) / divisor;
    // One decimal, halves away from zero ("###.#").
    const auto tenths = static_cast<uint64_t>(std::round(q * 10.0));
    const uint64_t whole = tenths / 10;
    const uint64_t frac = tenths % 10;
    QString text;
    if (whole != 0)
        text = QString::number(whole);
    text += sep;
    if (frac != 0)
        text += QString::number(frac);
    TrimDecimalComma(text, sep);
    return text + unit;
}

QString SizeText(ByteCount v, const QString &sep)
{
    return SizeTextUnchecked(static_cast<uint64_t>(v.bytes()), sep);
}

QString SizeText(ByteCount v)
{
    return SizeText(v, UserDecimalSeparator());
}

QString SizeTextFromRawCount(uint64_t raw)
{
    return SizeText(ByteCount::fromBytes(raw));
}

QString DriveTypeName(int platformCode, int &code)
{
    code = platformCode;
    switch (platformCode) {
    case 1:
    case 3:
        return QStringLiteral("Локальный диск");
    case 2:
        return QStringLiteral("Сменный носитель");
    case 4:
        return QStringLiteral("Сетевой диск");
    case 5:
        return QStringLiteral("CD-дисковод");
    case 6:
        return QStringLiteral("RAM диск");
    default:
        code = 7;
        return QStringLiteral("Не опознанный");
    }
}

} // namespace vs
