#include "StatusTexts.h"

#include <charconv>

namespace vs
{

QString ElapsedText(double seconds, const QString &sep)
{
    const float v = static_cast<float>(seconds);
    QString text;
    if (v == 0.0f) {
        text = QStringLiteral("0");
    } else {
        char buf[48];
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
        text = QString::fromLatin1(buf, res.ptr - buf);
        const qsizetype e = text.indexOf(QLatin1Char('e'));
        if (e >= 0)
            text[e] = QLatin1Char('E');
        text.replace(QLatin1Char('.'), sep);
    }
    return text + QStringLiteral("сек.");
}

QString CountText(int rows)
{
    return QStringLiteral("Кол-во: ") + QString::number(rows);
}

} // namespace vs
