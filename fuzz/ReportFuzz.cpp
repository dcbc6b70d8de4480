// Any folder names, bars and sizes in the report: file-system text adds no
// markup and no line to the page (escaped, with only the writer's own line
// breaks between words of a long path), and the Windows-1251 file keeps every
// character, as a byte or a numeric reference.
#include "report/Cp1251.h"
#include "report/HtmlReport.h"

#include <QList>
#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>

namespace
{

vs::ReportTable Table(const QList<QByteArray> &lines, bool placeholders)
{
    vs::ReportTable t;
    t.columns = {{QStringLiteral("Папка"), 4000},
                 {QStringLiteral("Диаграмма"), 2000},
                 {QStringLiteral("Размер"), 1500},
                 {QStringLiteral("k1"), 0},
                 {QStringLiteral("k2"), 0}};
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> f = line.mid(1).split('\t');
        vs::ReportRow r;
        r.parent = (line[0] & 1) != 0;
        r.ticked = (line[0] & 2) != 0;
        r.path = placeholders ? QStringLiteral("p") : QString::fromUtf8(f.value(0));
        r.bar = placeholders ? QStringLiteral("b") : QString::fromUtf8(f.value(1));
        r.size = placeholders ? QStringLiteral("s") : QString::fromUtf8(f.value(2));
        t.rows.push_back(r);
    }
    return t;
}

// Numeric character references replaced by their characters.
QString Expand(const QString &text)
{
    static const QRegularExpression ref(QStringLiteral("&#([0-9]{1,7});"));
    QString out;
    qsizetype at = 0;
    for (auto it = ref.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(at, m.capturedStart() - at);
        const char32_t c = char32_t(m.captured(1).toUInt());
        out += QString::fromUcs4(&c, 1);
        at = m.capturedEnd();
    }
    return out + text.mid(at);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n');
    const QString page = vs::HtmlReportText(Table(lines, false), {}, {}, {});
    const QString plain = vs::HtmlReportText(Table(lines, true), {}, {}, {});

    QString withoutBreaks = page;
    withoutBreaks.remove(QStringLiteral("<br>"));
    for (const QChar markup : {u'<', u'>', u'"', u'\n', u'\r'}) {
        if (withoutBreaks.count(markup) != plain.count(markup))
            std::abort();
    }
    if (!page.endsWith(QStringLiteral("\r\n")))
        std::abort();

    if (Expand(vs::DecodeCp1251(vs::EncodeCp1251(page))) != Expand(page))
        std::abort();
    return 0;
}
