#include "SizeRange.h"

#include "util/ByteCount.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace vs
{

namespace
{

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

double LeadingNumber(const QString &text)
{
    // Collect the characters that form the number, skipping blanks, then let
    // strtod read that ASCII text.
    std::string number;
    enum class Stage { Sign, Mantissa, Fraction, ExpSign, Exponent } stage = Stage::Sign;
    bool mantissaDigits = false;
    bool exponentDigits = false;
    std::string exponent;
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        const char a = c.toLatin1();
        bool taken = false;
        switch (stage) {
        case Stage::Sign:
            if (a == '+' || a == '-') {
                number += a;
                stage = Stage::Mantissa;
                taken = true;
                break;
            }
            stage = Stage::Mantissa;
            [[fallthrough]];
        case Stage::Mantissa:
            if (isDigit(c)) {
                number += a;
                mantissaDigits = true;
                taken = true;
            } else if (a == '.') {
                number += a;
                stage = Stage::Fraction;
                taken = true;
            } else if ((a == 'e' || a == 'E' || a == 'd' || a == 'D') && mantissaDigits) {
                stage = Stage::ExpSign;
                taken = true;
            }
            break;
        case Stage::Fraction:
            if (isDigit(c)) {
                number += a;
                mantissaDigits = true;
                taken = true;
            } else if ((a == 'e' || a == 'E' || a == 'd' || a == 'D') && mantissaDigits) {
                stage = Stage::ExpSign;
                taken = true;
            }
            break;
        case Stage::ExpSign:
            if (a == '+' || a == '-') {
                exponent += a;
                stage = Stage::Exponent;
                taken = true;
                break;
            }
            stage = Stage::Exponent;
            [[fallthrough]];
        case Stage::Exponent:
            if (isDigit(c)) {
                exponent += a;
                exponentDigits = true;
                taken = true;
            }
            break;
        }
        if (!taken)
            break;
    }
    if (!mantissaDigits)
        return 0.0;
    if (exponentDigits)
        number += 'e' + exponent;
    double v = 0.0;
    // from_chars, unlike strtod, ignores the process locale: "." stays the point.
    const char *first = number.c_str();
    if (*first == '+')
        ++first;
    const auto res = std::from_chars(first, number.c_str() + number.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        const bool tiny = !exponent.empty() && exponent[0] == '-';
        v = tiny ? 0.0 : (number[0] == '-' ? -DBL_MAX : DBL_MAX);
    }
    return v == 0.0 ? 0.0 : v; // no "-0"
}

QString DefaultNumberText(double value, const QString &sep)
{
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buf, res.ptr - buf);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // "1.5e+15" -> "1.5E+15", "1e-05" stays two exponent digits.
        QString mantissa = text.left(e);
        QString exp = text.mid(e + 1);
        const QChar sign = exp.at(0);
        QString digits = exp.mid(1);
        while (digits.size() > 2 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        text = mantissa + QLatin1Char('E') + sign + digits;
    }
    text.replace(QLatin1Char('.'), sep);
    return text;
}

double UnitMultiplier(int unitIndex)
{
    return std::pow(1024.0, unitIndex);
}

QString FieldBytesText(const QString &fieldText, int unitIndex, const QString &sep)
{
    return DefaultNumberText(UnitMultiplier(unitIndex) * LeadingNumber(fieldText), sep);
}

QString TidyFieldText(const QString &fieldText)
{
    const QString t = fieldText.trimmed();
    return t.isEmpty() ? QStringLiteral("0") : t;
}

std::optional<double> ReadByteLabel(const QString &caption, const QString &sep)
{
    QString t = caption;
    if (!sep.isEmpty() && sep != QStringLiteral(".")) {
        if (t.contains(QLatin1Char('.')))
            return std::nullopt;
        t.replace(sep, QStringLiteral("."));
    }
    // The forms DefaultNumberText writes: sign, digits, a fraction, and an
    // exponent. Anything else is not a label this window wrote.
    qsizetype i = 0;
    if (i < t.size() && t.at(i) == QLatin1Char('-'))
        ++i;
    bool digits = false;
    while (i < t.size() && isDigit(t.at(i))) {
        ++i;
        digits = true;
    }
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && isDigit(t.at(i)))
            ++i;
    }
    if (digits && i < t.size() && t.at(i) == QLatin1Char('E')) {
        ++i;
        if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
            ++i;
        bool expDigits = false;
        while (i < t.size() && isDigit(t.at(i))) {
            ++i;
            expDigits = true;
        }
        if (!expDigits)
            return std::nullopt;
    }
    if (!digits || i != t.size())
        return std::nullopt;
    const QByteArray latin = t.toLatin1();
    double v = 0.0;
    const auto res = std::from_chars(latin.constData(), latin.constData() + latin.size(), v);
    if (res.ec != std::errc())
        return std::nullopt;
    const double rounded = std::nearbyint(v * 10000.0) / 10000.0;
    if (std::fabs(rounded) > static_cast<double>(ByteCount::kMaxBytes))
        return std::nullopt;
    return rounded;
}

ByteBounds WholeByteBounds(double minBytes, double maxBytes, bool useMax)
{
    ByteBounds b;
    if (!useMax) {
        b.minBytes = static_cast<long long>(std::floor(minBytes));
        if (b.minBytes < 0) {
            b.useMax = true;
            b.minBytes = 0;
            b.maxBytes = ByteCount::kMaxBytes;
        }
        return b;
    }
    b.useMax = true;
    b.minBytes = std::max(0LL, static_cast<long long>(std::ceil(minBytes)));
    b.maxBytes = static_cast<long long>(std::floor(maxBytes));
    if (b.maxBytes < 0) {
        b.minBytes = 1;
        b.maxBytes = 0;
    }
    return b;
}

QString SwapMessageText()
{
    return QStringLiteral("Значение в поле <ОТ> больше чем в <ДО>, данные автоматически поменяются местами");
}

QString RangeTooLargeText(bool upperField)
{
    return QStringLiteral("Значение в поле <%1> слишком велико: размер файла не может превышать "
                          "922337203685477 байт. Уменьшите значение или выберите другую единицу. "
                          "Прежние настройки сохранены.")
        .arg(upperField ? QStringLiteral("ДО") : QStringLiteral("ОТ"));
}

} // namespace vs
