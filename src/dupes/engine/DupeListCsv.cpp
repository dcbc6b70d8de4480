#include "DupeListCsv.h"

#include <map>

namespace vs
{

QByteArray DupeListCsvHeader()
{
    return QStringLiteral("Группа,Размер,CRC,Файл").toUtf8();
}

QByteArray CsvField(const QByteArray &bytes)
{
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (char c : bytes) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

QByteArray DupeListCsv(const std::vector<ListedFile> &files)
{
    QByteArray out = DupeListCsvHeader() + "\r\n";
    std::map<int, int> numbers; // group of the list -> number in the file
    for (const ListedFile &f : files) {
        const int number = numbers.try_emplace(f.group, int(numbers.size()) + 1).first->second;
        out += QByteArray::number(number) + ',' + QByteArray::number(qulonglong(f.size.bytes())) + ',' +
               QByteArray::number(f.checksum) + ',' + CsvField(f.path) + "\r\n";
    }
    return out;
}

} // namespace vs
