#include "drives/DriveTexts.h"
#include "drives/Blkid.h"
#include "drives/VolumeQuery.h"

#include "Printers.h"

#include <gtest/gtest.h>

using namespace vs;

TEST(DriveTexts, ExactCountsGroupedByTheUsersSeparator)
{
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QString nb = ru.groupSeparator();
    EXPECT_EQ(ExactCountText(1234567, ru),
              QStringLiteral("1") + nb + QStringLiteral("234") + nb + QStringLiteral("567 байт "));
    EXPECT_EQ(ExactCountText(0, ru), QStringLiteral("0 байт "));
    EXPECT_EQ(ExactCountText(999, ru), QStringLiteral("999 байт "));
    EXPECT_EQ(ExactCountText(1000, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("1,000 байт "));
    EXPECT_EQ(ExactCountText(18446744073709551615ULL, QLocale(QLocale::English)),
              QStringLiteral("18,446,744,073,709,551,615 байт "));
}

TEST(DriveTexts, SerialIsTheSignedReadingWithoutItsSign)
{
    EXPECT_EQ(SerialText(4294967295u), QStringLiteral("1"));
    EXPECT_EQ(SerialText(2147483648u), QStringLiteral("2147483648"));
    EXPECT_EQ(SerialText(2147483647u), QStringLiteral("2147483647"));
    EXPECT_EQ(SerialText(0xABCD1234u), QStringLiteral("1412623820")); // 2^32 - 0xABCD1234
    EXPECT_EQ(SerialText(305419896u), QStringLiteral("305419896"));
    EXPECT_EQ(SerialText(0), QStringLiteral("0"));
}

TEST(DriveTexts, SerialFromUuid)
{
    EXPECT_EQ(SerialFromUuid("ABCD-1234", "vfat"), 0xABCD1234u);
    EXPECT_EQ(SerialFromUuid("abcd-1234", "exfat"), 0xABCD1234u);
    EXPECT_EQ(SerialFromUuid("0123456789ABCDEF", "ntfs"), 0x89ABCDEFu);
    EXPECT_EQ(SerialFromUuid("1b4e28ba-2fa1-11d2-883f-0016d3cca427", "ext4"), 0x1b4e28bau);
    EXPECT_EQ(SerialFromUuid("", "ext4"), 0u);
    EXPECT_EQ(SerialFromUuid("2023-05-01-10-00-00-00", "iso9660"), 0x20230501u);
}

TEST(DriveTexts, ShortTextsAndVolumesPastTheByteCountRange)
{
    EXPECT_EQ(ShortCountText(0), QStringLiteral("0 байт"));
    EXPECT_EQ(ShortCountText(123456789), QStringLiteral("117,7 Мбайт"));
    EXPECT_EQ(ShortCountText(922337203685477ULL), QStringLiteral("838,9 Тбайт"));
    EXPECT_FALSE(IsTooLargeCount(922337203685477ULL));
    EXPECT_TRUE(IsTooLargeCount(922337203685478ULL));
    EXPECT_EQ(ShortCountText(1000000000000000000ULL), QStringLiteral("0,9 Xбайт (!)"));
}

TEST(VolumeReading, UdevNamesAndStatvfs)
{
    EXPECT_EQ(UnescapeUdevName("USB\\x20STICK"), "USB STICK");
    EXPECT_EQ(UnescapeUdevName("a\\x2fb\\x5c"), "a/b\\");
    EXPECT_EQ(UnescapeUdevName("a\\x2fb\\x5"), "a/b\\x5");
    EXPECT_EQ(UnescapeUdevName("\\xd0\\x94\\xd0\\xb8\\xd1\\x81\\xd0\\xba"), QByteArray("Диск"));

    LinuxVolumeReader reader;
    DriveEntry root;
    root.mountPoint = "/";
    root.fsType = "ext4";
    const VolumeInfo info = reader.read(root);
    EXPECT_TRUE(info.answered);
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_GE(info.totalBytes, info.freeBytes);
    EXPECT_GE(info.freeBytes, info.availableBytes);
    EXPECT_EQ(info.fileSystemName, QStringLiteral("ext4"));

    DriveEntry gone;
    gone.mountPoint = "/no/such/mount";
    gone.fsType = "nfs4";
    const VolumeInfo none = reader.read(gone);
    EXPECT_FALSE(none.answered);
    EXPECT_EQ(none.totalBytes + none.freeBytes + none.availableBytes, 0u);
    EXPECT_TRUE(none.fileSystemName.isEmpty());
    EXPECT_EQ(none.serial, 0u);
}
