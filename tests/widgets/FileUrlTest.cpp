#include "widgets/DesktopServices.h"

#include <gtest/gtest.h>

using namespace vs;

namespace
{

// The bytes the desktop gets back when it decodes the URL's path.
QByteArray DecodedPath(const QUrl &url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

} // namespace

TEST(FileUrlFromPath, NameThatIsNotUtf8KeepsItsBytes)
{
    const QByteArray path = "/home/u/\xff\xfe report\x80.txt";
    const QUrl url = FileUrlFromPath(path);
    EXPECT_EQ(url.toEncoded(), QByteArray("file:///home/u/%FF%FE%20report%80.txt"));
    EXPECT_EQ(DecodedPath(url), path);
    EXPECT_TRUE(url.isValid());
    EXPECT_TRUE(url.isLocalFile());
    // Decoding the name first turns each bad byte into U+FFFD, a file that does not exist.
    EXPECT_FALSE(url.toEncoded().contains("%EF%BF%BD"));
}

TEST(FileUrlFromPath, CharactersThatMeanSomethingInAUrlAreEncoded)
{
    struct Case {
        QByteArray path;
        QByteArray encoded;
    };
    const Case cases[] = {
        {"/home/u/my file.txt", "file:///home/u/my%20file.txt"},
        {"/tmp/100%.txt", "file:///tmp/100%25.txt"},
        {"/tmp/%41", "file:///tmp/%2541"}, // a name that looks encoded already
        {"/tmp/a#b", "file:///tmp/a%23b"},
        {"/tmp/a?b=c", "file:///tmp/a%3Fb%3Dc"},
        {"/tmp/line\nbreak", "file:///tmp/line%0Abreak"},
        {"/tmp/back\\slash", "file:///tmp/back%5Cslash"},
        {"/opt/a-b_c.d~e", "file:///opt/a-b_c.d~e"},
    };
    for (const Case &c : cases) {
        const QUrl url = FileUrlFromPath(c.path);
        EXPECT_EQ(url.toEncoded(), c.encoded) << c.path.constData();
        EXPECT_EQ(DecodedPath(url), c.path) << c.path.constData();
        EXPECT_EQ(url.toLocalFile(), QString::fromUtf8(c.path)) << c.path.constData();
    }
}

TEST(FileUrlFromPath, CyrillicNameIsItsUtf8Bytes)
{
    const QByteArray path = "/home/u/Документы/отчёт.htm";
    const QUrl url = FileUrlFromPath(path);
    EXPECT_EQ(url.toEncoded(),
              QByteArray("file:///home/u/%D0%94%D0%BE%D0%BA%D1%83%D0%BC%D0%B5%D0%BD%D1%82%D1%8B/"
                         "%D0%BE%D1%82%D1%87%D1%91%D1%82.htm"));
    EXPECT_EQ(DecodedPath(url), path);
    EXPECT_EQ(url.toLocalFile(), QString::fromUtf8(path));
}

TEST(FileUrlFromPath, DoubleSlashesStayInThePath)
{
    // A leading "//" must not become a host name: the URL names the same local path.
    const QUrl leading = FileUrlFromPath("//srv/share");
    EXPECT_EQ(leading.toEncoded(), QByteArray("file:////srv/share"));
    EXPECT_TRUE(leading.isValid());
    EXPECT_TRUE(leading.host().isEmpty());
    EXPECT_EQ(DecodedPath(leading), QByteArray("//srv/share"));

    const QUrl inner = FileUrlFromPath("/home//u/");
    EXPECT_EQ(inner.toEncoded(), QByteArray("file:///home//u/"));
    EXPECT_EQ(DecodedPath(inner), QByteArray("/home//u/"));

    EXPECT_EQ(FileUrlFromPath("/").toEncoded(), QByteArray("file:///"));
}

TEST(FileUrlFromPath, EmptyPathGivesNoUrl)
{
    EXPECT_TRUE(FileUrlFromPath(QByteArray()).isEmpty());
}
