// The help file the main window opens with Shift+F1 must be a real compiled
// help file in the executable's folder, holding every page of the help.
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {

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
    EXPECT_EQ(le32(chm, 4), 3u);     // format version
    EXPECT_EQ(le32(chm, 8), 0x60u);  // header length of version 3
    EXPECT_EQ(le32(chm, 20), 0x419u); // Russian
    // The directory chunk that follows names every page.
    EXPECT_TRUE(chm.contains("ITSP"));
    for (const char *page : {"/index.html", "/main.html", "/scan.html", "/keys.html", "/drives.html",
                             "/dupes.html", "/report.html", "/about.html", "/linux.html", "/help.hhc",
                             "/help.hhk", "/#SYSTEM"})
        EXPECT_TRUE(chm.contains(page)) << page;
}
