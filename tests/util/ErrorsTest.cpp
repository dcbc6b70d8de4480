#include "util/Errors.h"
#include "fs/Paths.h"
#include "util/FileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace vs;

TEST(Errors, ErrnoMapping)
{
    EXPECT_EQ(ErrnoToNumber(EACCES), 70);
    EXPECT_EQ(ErrnoToNumber(EPERM), 70);
    EXPECT_EQ(ErrnoToNumber(ENOENT, true), 53);
    EXPECT_EQ(ErrnoToNumber(ENOENT, false), 76);
    EXPECT_EQ(ErrnoToNumber(ENOMEDIUM), 68);
    EXPECT_EQ(ErrnoToNumber(ENODEV), 68);
    EXPECT_EQ(ErrnoToNumber(ENXIO), 68);
    EXPECT_EQ(ErrnoToNumber(EIO), 57);
    EXPECT_EQ(ErrnoToNumber(ENAMETOOLONG), 52);
    EXPECT_EQ(ErrnoToNumber(ELOOP), 75);
    EXPECT_EQ(ErrnoToNumber(ENOSPC), 61);
    EXPECT_EQ(ErrnoToNumber(EMFILE), 67);
    EXPECT_EQ(ErrnoToNumber(ENOMEM), 7);
}

TEST(Errors, DescriptionsAreRussian)
{
    const VsError e = ErrorFromErrno(EACCES);
    EXPECT_EQ(e.number, 70);
    EXPECT_EQ(e.description, QStringLiteral("Отказано в разрешении"));
    EXPECT_EQ(MakeError(68).description, QStringLiteral("Устройство недоступно"));
    EXPECT_FALSE(ErrorFromErrno(EBADMSG).description.isEmpty());
}

TEST(Paths, JoinAddsOneSlash)
{
    EXPECT_EQ(JoinPath("/", "home"), QByteArray("/home"));
    EXPECT_EQ(JoinPath("/home", "u"), QByteArray("/home/u"));
    EXPECT_EQ(JoinPath("/home/", "u"), QByteArray("/home/u"));
    EXPECT_EQ(WithTrailingSlash("/a"), QByteArray("/a/"));
    EXPECT_EQ(WithTrailingSlash("/"), QByteArray("/"));
}
