#include "HtmlReport.h"

#include "report/Cp1251.h"
#include "util/Services.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace vs
{
namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString kHeadingParagraph =
    QStringLiteral("<p class=MsoNormal align=center style='text-align:center'>");
const QString kSpacerParagraph = QStringLiteral(
    "<p class=MsoNormal align=center style='text-align:center'><![if !supportEmptyParas]>&nbsp;"
    "<![endif]><o:p></o:p></p>");
const QString kHeaderCell = QStringLiteral("<TD bgColor='#c0c0c0' align='center'>");

// Texts this long are too wide for a cell; they wrap at their blanks.
constexpr qsizetype kBreakLength = 100;

// A heading typed over several lines: every line end becomes CR LF, like the
// rest of the file.
QString WithCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += kCrLf;
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += kCrLf;
        } else {
            out += c;
        }
    }
    return out;
}

qsizetype CharacterCount(const QString &text)
{
    qsizetype n = 0;
    for (const QChar c : text)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

void Report(const ReportOutput &output, const QString &text)
{
    if (output.boxes)
        output.boxes->show(output.parent, text, QStringLiteral("Печать"), MessageBoxes::Icon::Exclamation);
}

QString Quoted(const QString &path)
{
    return u'\u00AB' + path + u'\u00BB';
}

} // namespace

QString BreakAtSpaces(const QString &text, const QString &breakText)
{
    QString out = text;
    out.replace(u' ', breakText);
    return out + breakText;
}

int PixelWidth(float twips)
{
    const long long whole = std::llrint(double(twips)); // halves to even
    return int(whole / 15);
}

QString EscapeHtml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            // A line feed in a folder name must not break the file's lines.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("&#") + QString::number(c.unicode()) + u';';
            else
                out += c;
        }
    }
    return out;
}

QString BuildReportTable(const ReportTable &list, const QString &heading1, const QString &heading2,
                         const QString &heading3)
{
    QString s;
    s += QStringLiteral("  <TABLE CELLSPACING='0' CELLPADDING='7' border='1'>") + kCrLf;

    s += QStringLiteral("   <TR NOWRAP >");
    s += QStringLiteral("<div class=Section1>");
    s += kHeadingParagraph + WithCrLf(heading1) + QStringLiteral("</p>");
    s += kHeadingParagraph + WithCrLf(heading2) + QStringLiteral("</p>");
    s += kSpacerParagraph;
    s += kHeadingParagraph + QStringLiteral("<b>") + WithCrLf(heading3) +
         QStringLiteral("<o:p></o:p></b></p>");
    s += kSpacerParagraph;
    s += kHeaderCell + QStringLiteral("№п/п");
    const qsizetype printed = qsizetype(list.columns.size()) - 2;
    for (qsizetype c = 0; c < printed; ++c) {
        const ReportColumn &col = list.columns[size_t(c)];
        s += QStringLiteral("<TD bgColor='#c0c0c0' align='center' style=width='") +
             QString::number(PixelWidth(col.widthTwips)) + QStringLiteral("'>") + col.caption;
    }
    s += kCrLf;

    int number = 0;
    for (const ReportRow &row : list.rows) {
        if (row.parent || !row.ticked)
            continue;
        ++number;
        QString path = EscapeHtml(row.path);
        if (CharacterCount(row.path) >= kBreakLength)
            path = BreakAtSpaces(path, QStringLiteral("<br>"));
        s += QStringLiteral("   <TR NOWRAP><TD>") + QString::number(number) + QStringLiteral("<TD>") + path +
             QStringLiteral("<TD>") + EscapeHtml(row.bar) + QStringLiteral("<TD>") + EscapeHtml(row.size) +
             kCrLf;
    }
    s += QStringLiteral("  </TABLE>");
    return s;
}

QString HtmlReportText(const ReportTable &list, const QString &heading1, const QString &heading2,
                       const QString &heading3)
{
    static const char *const kHead[] = {
        "<HTML>",
        "",
        "<TITLE>Предварительный просмотр</TITLE>",
        "",
        "<STYLE>",
        " TABLE{FONT:ICON;BORDER:NONE;BORDER-RIGHT:1PX SOLID BLACK;BORDER-BOTTOM:1PX SOLID BLACK}",
        " TR{VERTICAL-ALIGN:MIDDLE}",
        " TD{FONT:ICON;BORDER:1PX #000000 SOLID;BORDER-RIGHT:NONE;BORDER-BOTTOM:NONE;PADDING:5}",
        "</STYLE>",
        "",
        " <BODY>",
        "    <CENTER>",
        "",
    };
    QString s;
    for (const char *line : kHead)
        s += QString::fromUtf8(line) + kCrLf;
    s += BuildReportTable(list, heading1, heading2, heading3) + kCrLf;
    s += kCrLf;
    s += QStringLiteral("  <P><BUTTON id='prn' onclick=\"prn.style.display='none';window.print();"
                        "prn.style.display=''\">Печать</BUTTON>") +
         kCrLf;
    s += QStringLiteral(" </BODY>") + kCrLf;
    s += kCrLf;
    s += QStringLiteral("</HTML>") + kCrLf;
    return s;
}

bool WriteHtmlReport(const ReportTable &list, const QString &heading1, const QString &heading2,
                     const QString &heading3, const QString &copyName, const ReportOutput &output)
{
    QString folder;
    if (const FileResult r = ChooseReportFolder(output.place, folder); !r) {
        Report(output, QStringLiteral("Не удалось создать папку для файлов отчета %1.\n%2")
                           .arg(Quoted(QDir::toNativeSeparators(folder)), FileErrorReason(r.error)));
        return false;
    }
    const QString dir = folder.endsWith(u'/') ? folder : folder + u'/';
    const QString preview = dir + PreviewFileName();
    const QByteArray bytes = EncodeCp1251(HtmlReportText(list, heading1, heading2, heading3));

    if (const FileResult r = WriteFileReplacing(preview, bytes); !r) {
        Report(output, QStringLiteral("Не удалось записать файл отчета %1.\n%2")
                           .arg(Quoted(preview), FileErrorReason(r.error)));
        return false;
    }

    if (!copyName.isEmpty()) {
        const QString copy = dir + copyName + CopySuffix();
        // The copy stays in the report folder: a name is not a path.
        const bool pathLike = copyName.contains(u'/') || copyName.contains(QChar(0));
        const FileResult r = pathLike ? FileResult{EINVAL} : WriteFileReplacing(copy, bytes);
        if (!r) {
            const QString reason = pathLike ? QStringLiteral("Имя файла не может содержать знак \"/\".")
                                            : FileErrorReason(r.error);
            Report(output,
                   QStringLiteral("Не удалось сохранить копию отчета %1.\n%2").arg(Quoted(copy), reason));
            return false;
        }
    }

    if (output.openPreview)
        output.openPreview(preview, output.parent);
    return true;
}

} // namespace vs
