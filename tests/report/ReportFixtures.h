// Lists and helpers shared by the report tests.
#pragma once

#include "report/HtmlReport.h"
#include "report/ReportTable.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

namespace vs::test
{

inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The main list's five columns at their first widths.
inline std::vector<ReportColumn> MainColumns()
{
    return {{U("Папка"), 5203},
            {U("Процентное соотношение"), 5292},
            {U("Размер"), 2205},
            {QString(), 0},
            {QString(), 0}};
}

inline ReportRow ParentRow(bool ticked = false)
{
    return {true, ticked, U("\\..."), QString(), QString()};
}

inline ReportRow Row(bool ticked, const QString &path, int bar, const char *size)
{
    return {false, ticked, path, QString(bar, u'|'), U(size)};
}

// Ticked and unticked rows, a 100-character path with a double blank, a
// character of the upper half of the code page; the parent row is ticked but
// must never appear.
inline ReportTable GoldenList()
{
    ReportTable t;
    t.columns = MainColumns();
    t.rows = {
        ParentRow(true),
        Row(true, U("/home/user/Документы"), 70, "12,5 Мбайт"),
        Row(false, U("/home/user/Загрузки"), 40, "7,0 Мбайт"),
        Row(true,
            U("/srv/архив/Фотографии за  2007 год/поездка на море летом/обработанные снимки для "
              "печати и альбома 12"),
            18, "3,2 Мбайт"),
        Row(false, U("/tmp"), 1, "0,0 байт"),
        Row(true, U("/home/user/Цены в €"), 1, "0,0 байт"),
    };
    return t;
}

inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// A report place in a given folder that is always writable, with a recorded
// preview.
struct Output {
    explicit Output(const QString &folder)
    {
        out.place.programFolder = folder;
        out.place.userFolder = folder + QStringLiteral("/user-data/volumescope");
        out.place.writable = [](const QString &) { return true; };
        out.openPreview = [this](const QString &path, QWidget *) { previews.push_back(path); };
    }
    ReportOutput out;
    QStringList previews;
};

} // namespace vs::test
