// The report file is written in Windows-1251, the code page its readers
// expect. Characters the code page lacks are written as HTML numeric
// character references, so nothing typed or found on disk is lost.
#pragma once

#include <QByteArray>
#include <QString>

namespace vs
{

// Byte of the code page for a character, or 0 when it has none (and for NUL).
unsigned char Cp1251Byte(char32_t ch);
// Character of a byte; U+FFFD for the one unassigned byte 0x98.
char32_t Cp1251Char(unsigned char byte);

// Text to Windows-1251; other characters become "&#N;" (N decimal).
QByteArray EncodeCp1251(const QString &text);
// Windows-1251 bytes back to text (references are left to the HTML reader).
QString DecodeCp1251(const QByteArray &bytes);

} // namespace vs
