#include "Cp1251.h"

#include <array>

namespace vs
{
namespace
{

// Upper half of the code page; 0 marks the unassigned 0x98.
constexpr std::array<char16_t, 128> kUpper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    // C0..FF: А..я follow in Unicode order, filled below
};

constexpr char16_t Upper(int i)
{
    return i >= 0x40 ? char16_t(0x0410 + (i - 0x40)) : kUpper[size_t(i)];
}

} // namespace

unsigned char Cp1251Byte(char32_t ch)
{
    if (ch > 0 && ch < 0x80)
        return static_cast<unsigned char>(ch);
    if (ch >= 0x0410 && ch <= 0x044F)
        return static_cast<unsigned char>(0xC0 + (ch - 0x0410));
    for (int i = 0; i < 0x40; ++i) {
        if (kUpper[size_t(i)] != 0 && kUpper[size_t(i)] == ch)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

char32_t Cp1251Char(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    const char16_t c = Upper(byte - 0x80);
    return c ? char32_t(c) : char32_t(0xFFFD);
}

QByteArray EncodeCp1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(char16_t(ch), text.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(ch)) {
            ch = 0xFFFD; // a lone half of a pair names no character
        }
        if (ch == 0)
            continue;
        if (const unsigned char b = Cp1251Byte(ch)) {
            out.append(char(b));
        } else {
            out.append("&#");
            out.append(QByteArray::number(uint(ch)));
            out.append(';');
        }
    }
    return out;
}

QString DecodeCp1251(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        out.append(QChar(char16_t(Cp1251Char(static_cast<unsigned char>(b)))));
    return out;
}

} // namespace vs
