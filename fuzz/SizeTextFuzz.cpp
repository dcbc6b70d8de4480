// Any 64-bit count: the size text has the one shape the lists show, the
// checked and unchecked texts agree, and a count past the ByteCount range is
// error 6, never a wrapped number.
#include "util/ByteCount.h"
#include "util/Errors.h"

#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    uint64_t v;
    std::memcpy(&v, data, sizeof v);
    // The separator as the user's locale may give it.
    static const QString separators[] = {QStringLiteral(","), QStringLiteral("."), QStringLiteral("٫")};
    const QString sep = separators[data[8] % 3];

    const QString text = vs::SizeTextUnchecked(v, sep);
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2} байт|(\\d+(S\\d)?|0S\\d) (Кбайт|Мбайт|Гбайт|Тбайт|Xбайт))$"));
    QString plain = text;
    plain.replace(sep, QStringLiteral("S"));
    if (!shape.match(plain).hasMatch())
        std::abort();

    bool threw = false;
    try {
        const vs::ByteCount c = vs::ByteCount::fromBytes(v);
        if (uint64_t(c.bytes()) != v || vs::SizeText(c, sep) != text)
            std::abort();
    } catch (const vs::VsError &e) {
        threw = true;
        if (e.number != 6)
            std::abort();
    }
    if (threw != (v > uint64_t(vs::ByteCount::kMaxBytes)))
        std::abort();
    return 0;
}
