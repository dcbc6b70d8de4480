#include "drives/DriveTexts.h"

#include "util/ByteCount.h"

#include <cstdlib>

namespace vs
{

QString ExactCountText(uint64_t bytes, const QLocale &locale)
{
    const QString digits = QString::number(bytes);
    const QString sep = locale.groupSeparator();
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += sep;
        text += digits[i];
    }
    return text + QStringLiteral(" байт ");
}

QString SerialText(uint32_t serial)
{
    const auto reading = static_cast<int64_t>(static_cast<int32_t>(serial));
    return QString::number(std::llabs(reading));
}

bool IsTooLargeCount(uint64_t bytes)
{
    return bytes > static_cast<uint64_t>(ByteCount::kMaxBytes);
}

QString ShortCountText(uint64_t bytes)
{
    if (IsTooLargeCount(bytes))
        return SizeTextUnchecked(bytes, UserDecimalSeparator()) + kTooLargeMark;
    return SizeTextFromRawCount(bytes);
}

QString TooLargeToolTip()
{
    return QStringLiteral("Больше 922 337 203 685 477 байт: программа показывает такой объём, "
                          "но не может складывать его с другими");
}

} // namespace vs
