#include "widgets/DriveNavigator.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

TEST(MountIndexForPath, LongestMountPointHoldingThePath)
{
    const std::vector<QByteArray> mounts = {"/", "/home", "/home/u/usb", "/media/cd"};
    EXPECT_EQ(MountIndexForPath(mounts, "/"), 0);
    EXPECT_EQ(MountIndexForPath(mounts, "/etc"), 0);
    EXPECT_EQ(MountIndexForPath(mounts, "/home"), 1);
    EXPECT_EQ(MountIndexForPath(mounts, "/home/u"), 1);
    EXPECT_EQ(MountIndexForPath(mounts, "/home/u/usb/photos"), 2);
    EXPECT_EQ(MountIndexForPath(mounts, "/homework"), 0); // a prefix of the name only
    EXPECT_EQ(MountIndexForPath(mounts, "/media/cd"), 3);
    EXPECT_EQ(MountIndexForPath({"/home"}, "/etc"), -1);
    EXPECT_EQ(MountIndexForPath({}, "/etc"), -1);
}

namespace
{

FakeMountTable Mounts()
{
    FakeMountTable mounts;
    mounts.add("/");
    mounts.add("/media/cd", u"DVD"_qs).platformType = 5;
    mounts.add("/media/usb", u"Stick"_qs).platformType = 2;
    mounts.add("/media/locked");
    mounts.failures["/media/cd"] = kErrDeviceUnavailable;
    return mounts;
}

struct DriveFixture : ::testing::Test {
    DriveFixture()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/old");
        fs.add("/media");
        fs.add("/media/cd");
        fs.add("/media/usb");
        fs.add("/media/usb/photos");
        fs.add("/media/locked").openError = kErrPermission;
        drive1.chooseDriveFor("/data");
        dir1.openAt("/data");
        nav.resetLastDriveIndex();
    }
    void choose(int index)
    {
        drive1.setCurrentIndex(index);
        emit drive1.activated(index);
    }

    FakeFileSystem fs;
    FakeMountTable mounts = Mounts();
    RecordingMessageBoxes boxes;
    QWidget window;
    DriveListBox drive1{mounts, &window};
    DirListBox dir1{fs, boxes, &window};
    DriveNavigator nav{drive1, dir1, mounts, boxes, &window};
};

} // namespace

TEST_F(DriveFixture, ListShowsMountPointsWithLabelsAndTheDriveOfTheStartFolder)
{
    EXPECT_EQ(drive1.objectName(), u"Drive1"_qs);
    ASSERT_EQ(drive1.count(), 4);
    EXPECT_EQ(drive1.itemText(0), u"/"_qs);
    EXPECT_EQ(drive1.itemText(1), u"/media/cd [DVD]"_qs);
    EXPECT_EQ(drive1.itemText(2), u"/media/usb [Stick]"_qs);
    EXPECT_EQ(drive1.currentIndex(), 0);
    EXPECT_EQ(nav.lastDriveIndex(), 0);
    drive1.chooseDriveFor("/media/usb/photos");
    EXPECT_EQ(drive1.currentIndex(), 2);
    EXPECT_EQ(drive1.palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));
}

TEST_F(DriveFixture, DriveWithoutMediumIsReportedAndThePreviousDriveComesBack)
{
    QSignalSpy changed(&dir1, &DirListBox::changed);
    choose(1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              u"Диск '/media/cd [DVD]' пуст. Вставте диск, а потом повторите попытку."_qs);
    EXPECT_EQ(boxes.boxes[0].title, u"Список дисков"_qs);
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(drive1.currentIndex(), 0);
    EXPECT_EQ(nav.lastDriveIndex(), 0);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/data"));
    EXPECT_EQ(dir1.toolTip(), u"/data"_qs);
    // The folder list still shows that folder: nothing was reopened.
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(DriveFixture, EachDriveOpensAtItsLastFolder)
{
    choose(2);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/media/usb"));
    EXPECT_EQ(nav.lastDriveIndex(), 2);
    EXPECT_EQ(dir1.toolTip(), u"/media/usb"_qs);
    dir1.openAt("/media/usb/photos");

    choose(0);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/data"));
    EXPECT_EQ(nav.lastDriveIndex(), 0);
    dir1.openAt("/data/old");

    choose(2);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/media/usb/photos"));
    choose(0);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/data/old"));

    // A remembered folder that has gone: the drive opens at its root.
    fs.folders.erase("/media/usb/photos");
    choose(2);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/media/usb"));
    EXPECT_TRUE(boxes.boxes.empty());

    // A failed choice returns to the drive chosen last, not the first one.
    choose(1);
    EXPECT_EQ(drive1.currentIndex(), 2);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/media/usb"));
}

TEST_F(DriveFixture, OtherFailuresArePassedOverSilently)
{
    mounts.failures["/media/usb"] = kErrIo;
    choose(2);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(dir1.openFolder(), QByteArray("/data"));
    EXPECT_EQ(nav.lastDriveIndex(), 2);

    choose(3); // a root that may not be read
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(dir1.openFolder(), QByteArray("/data"));
}

TEST_F(DriveFixture, KeyboardChoiceRunsTheDriveChange)
{
    drive1.setFocus();
    QTest::keyClick(&drive1, Qt::Key_Down);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(drive1.currentIndex(), 0);
}

TEST_F(DriveFixture, ReadingTheListAgainKeepsTheChosenAndTheLastDrive)
{
    choose(2); // /media/usb
    // A drive mounted since comes first; another one has gone.
    mounts.entries.clear();
    mounts.add("/boot");
    mounts.add("/");
    mounts.add("/media/cd", u"DVD"_qs);
    mounts.add("/media/usb", u"Stick"_qs);
    drive1.refresh();
    ASSERT_EQ(drive1.count(), 4);
    EXPECT_EQ(drive1.itemText(0), u"/boot"_qs);
    EXPECT_EQ(drive1.currentMountPoint(), QByteArray("/media/usb"));
    EXPECT_EQ(drive1.currentIndex(), 3);
    EXPECT_EQ(nav.lastDriveIndex(), 3);

    // The empty drive goes back to the drive chosen last, at its new place.
    choose(2);
    EXPECT_EQ(drive1.itemText(2), u"/media/cd [DVD]"_qs);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(drive1.currentIndex(), 3);
    EXPECT_EQ(dir1.openFolder(), QByteArray("/media/usb"));
}
