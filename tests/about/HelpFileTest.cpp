// The help file the main window opens with Shift+F1 must be a real compiled
// help file in the executable's folder, holding every page of the help.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace
{

QByteArray readHelp()
{
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/help.chm"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint32 le32(const QByteArray &bytes, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(bytes[at + i]);
    return v;
}

} // namespace

TEST(HelpFile, IsACompiledHelpFileBesideTheExecutable)
{
    const QByteArray chm = readHelp();
    ASSERT_GE(chm.size(), 0x60) << "help.chm missing or truncated next to the executable";
    EXPECT_EQ(chm.left(4), QByteArrayLiteral("ITSF"));
    EXPECT_EQ(le32(chm, 4), 3u);      // format version
    EXPECT_EQ(le32(chm, 8), 0x60u);   // header length of version 3
    EXPECT_EQ(le32(chm, 20), 0x419u); // Russian
    // The directory chunk that follows names every page.
    EXPECT_TRUE(chm.contains("ITSP"));
    for (const char *page :
         {"/index.html", "/main.html", "/scan.html", "/keys.html", "/drives.html", "/dupes.html",
          "/report.html", "/about.html", "/linux.html", "/help.hhc", "/help.hhk", "/#SYSTEM"})
        EXPECT_TRUE(chm.contains(page)) << page;
}

#include <QDir>
#include <QRegularExpression>
#include <QSet>

namespace
{

QString readSource(const QString &name)
{
    QFile file(QStringLiteral(VOLUMESCOPE_HELP_SOURCE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(HelpFile, EveryLinkContentsAndIndexEntryLeadsToAPageOfTheHelp)
{
    // Pages compiled into the help file, as the project lists them.
    const QString project = readSource(QStringLiteral("help.hhp"));
    ASSERT_FALSE(project.isEmpty());
    const QString files = project.mid(project.indexOf(QStringLiteral("[FILES]")) + 7);
    QSet<QString> compiled;
    for (const QString &line : files.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.trimmed().isEmpty())
            compiled.insert(line.trimmed());
    const QStringList pages =
        QDir(QStringLiteral(VOLUMESCOPE_HELP_SOURCE_DIR)).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(pages.size(), 8);
    for (const QString &page : pages)
        EXPECT_TRUE(compiled.contains(page)) << page.toStdString() << " is not compiled into help.chm";

    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    static const QRegularExpression local(QStringLiteral("name=\"Local\" value=\"([^\"]+)\""));
    static const QRegularExpression anchorId(QStringLiteral("id=\"([^\"]+)\""));
    auto leadsToAPage = [&](const QString &from, const QString &target) {
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        const QString anchor = target.section(QLatin1Char('#'), 1);
        EXPECT_TRUE(compiled.contains(file)) << from.toStdString() << " -> " << target.toStdString();
        if (!anchor.isEmpty()) {
            QStringList ids;
            for (const auto &m : anchorId.globalMatch(readSource(file)))
                ids << m.captured(1);
            EXPECT_TRUE(ids.contains(anchor)) << from.toStdString() << " -> " << target.toStdString();
        }
    };
    for (const QString &page : pages)
        for (const auto &m : href.globalMatch(readSource(page)))
            leadsToAPage(page, m.captured(1));
    for (const QString &sitemap : {QStringLiteral("help.hhc"), QStringLiteral("help.hhk")}) {
        int entries = 0;
        for (const auto &m : local.globalMatch(readSource(sitemap))) {
            leadsToAPage(sitemap, m.captured(1));
            ++entries;
        }
        EXPECT_GE(entries, 9) << sitemap.toStdString();
    }
    // Each window and command has its page in the contents.
    const QString contents = readSource(QStringLiteral("help.hhc"));
    for (const char *title :
         {"Главное окно", "Сканирование и список папок", "Функциональные клавиши", "Информация о накопителях",
          "Дубликатор файлов", "Диапазон размеров", "Печать отчёта", "Окно «About»"})
        EXPECT_TRUE(contents.contains(QString::fromUtf8(title))) << title;
}
