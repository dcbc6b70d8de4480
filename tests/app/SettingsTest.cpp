// Settings kept between runs: each run is a new main window, a new owner of
// the windows and a new settings object over the same file, as two starts of
// the program would be.
#include "app/Form1.h"
#include "app/ProgramSettings.h"
#include "app/ProgramWindows.h"
#include "drives/VolumeQuery.h"
#include "dupes/Form2.h"
#include "scan/ResultList.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "widgets/DirListBox.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

class NoVolumes : public VolumeQuery
{
  public:
    std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) override
    {
        return std::vector<VolumeInfo>(drives.size());
    }
};

struct Settings : ::testing::Test {
    static void SetUpTestSuite() { QStandardPaths::setTestModeEnabled(true); }

    Settings()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        fs.add("/data/b", 250);
        fs.add("/data/c", 5);
        mounts.add("/");
        file = dir.filePath(QStringLiteral("volumescope.conf"));
    }
    ~Settings() override { endRun(); }

    // One start of the program: the main window on /data, shown.
    void startRun()
    {
        endRun();
        settings = std::make_unique<ProgramSettings>(file);
        const WindowServices services{fs, mounts, shell, boxes, yield};
        form = std::make_unique<Form1>(services, QByteArray("/data"));
        windows =
            std::make_unique<ProgramWindows>(*form, services, PrintServices{}, &volumes, settings.get());
        form->show();
        QCoreApplication::processEvents();
    }
    // Its end, by the main window's close box.
    void endRun()
    {
        if (form && form->isVisible())
            form->close();
        windows.reset();
        form.reset();
        settings.reset();
        QCoreApplication::processEvents();
    }
    Form2 &finder()
    {
        QTest::keyPress(form->resultList(), Qt::Key_F4);
        return *windows->duplicateFinder();
    }
    template <typename T> static T *in(QWidget &w, const char *name)
    {
        return w.findChild<T *>(QString::fromLatin1(name));
    }
    // The settings panel, filled and closed as a user would.
    static void enterRange(Form2 &f, const QString &from, const QString &to, int unit, bool useMax)
    {
        in<QPushButton>(f, "Command3")->click();
        in<QRadioButton>(f, QStringLiteral("Option1_%1").arg(unit).toLatin1().constData())->click();
        in<QLineEdit>(f, "Text2")->setText(from);
        in<QLineEdit>(f, "Text3")->setText(to);
        if (in<QCheckBox>(f, "Check1")->isChecked() != useMax)
            in<QCheckBox>(f, "Check1")->click();
        in<QPushButton>(f, "Command5")->click();
    }
    static int checkedUnit(Form2 &f)
    {
        for (int i = 0; i < 4; ++i)
            if (in<QRadioButton>(f, QStringLiteral("Option1_%1").arg(i).toLatin1().constData())->isChecked())
                return i;
        return -1;
    }
    // What a start without any settings shows.
    void expectFreshStart(const QRect &designGeometry)
    {
        EXPECT_EQ(form->geometry(), designGeometry);
        EXPECT_DOUBLE_EQ(form->dividerLeftTwips(), 2130);
        EXPECT_EQ(form->resultList()->sortColumn(), 0);
        EXPECT_EQ(form->measure(), SizeMeasure::Apparent);
        Form2 &f = finder();
        EXPECT_EQ(in<QLineEdit>(f, "Text2")->text(), QStringLiteral("0"));
        EXPECT_EQ(in<QLineEdit>(f, "Text3")->text(), QStringLiteral("0"));
        EXPECT_EQ(checkedUnit(f), 0);
        EXPECT_FALSE(in<QCheckBox>(f, "Check1")->isChecked());
        EXPECT_EQ(f.minSizeValue(), 0.0);
        EXPECT_EQ(f.search().useMaxSize(), 0);
        EXPECT_TRUE(boxes.boxes.empty());
    }
    QRect designGeometry()
    {
        startRun();
        const QRect g = form->geometry();
        endRun();
        QFile::remove(file);
        return g;
    }
    void writeFile(const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString file;
    FakeFileSystem fs;
    FakeMountTable mounts;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    ScriptedYield yield;
    NoVolumes volumes;
    std::unique_ptr<ProgramSettings> settings;
    std::unique_ptr<Form1> form;
    std::unique_ptr<ProgramWindows> windows;
};

} // namespace

TEST_F(Settings, TheUsersFileIsTheDesktopsUsualPlace)
{
    ProgramSettings user;
    EXPECT_EQ(user.fileName(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                   QStringLiteral("/Volumescope/volumescope.conf"));
}

TEST_F(Settings, WindowDividerSortAndSizeRangeComeBackAtTheNextStart)
{
    startRun();
    form->setGeometry(40, 30, 820, 560);
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->placeDivider(1500));
    form->startOrStopScan();
    form->resultList()->columnClicked(3); // the first sort is descending
    ASSERT_EQ(form->resultList()->sortOrder(), Qt::DescendingOrder);
    enterRange(finder(), QStringLiteral("1.5"), QStringLiteral("20"), 2, true);
    const QRect geometry = form->geometry();
    endRun();

    startRun();
    EXPECT_EQ(form->geometry(), geometry);
    EXPECT_DOUBLE_EQ(form->dividerLeftTwips(), 1500);
    EXPECT_DOUBLE_EQ(form->layoutTwips().resultList.left, 1590);
    EXPECT_EQ(form->resultList()->sortColumn(), 3);
    EXPECT_EQ(form->resultList()->sortOrder(), Qt::DescendingOrder);
    // What the window opens with otherwise stays: the folder it was started
    // on, an empty list.
    EXPECT_EQ(form->folderList()->openFolder(), QByteArray("/data"));
    EXPECT_FALSE(form->resultList()->hasRows());
    // The next scan is sorted as the last run left it: largest first.
    form->startOrStopScan();
    EXPECT_EQ(form->resultList()->rowPath(1), QByteArray("/data/a"));
    EXPECT_EQ(form->resultList()->rowPath(3), QByteArray("/data/c"));

    Form2 &f = finder();
    EXPECT_EQ(in<QLineEdit>(f, "Text2")->text(), QStringLiteral("1.5"));
    EXPECT_EQ(in<QLineEdit>(f, "Text3")->text(), QStringLiteral("20"));
    EXPECT_EQ(checkedUnit(f), 2);
    EXPECT_TRUE(in<QCheckBox>(f, "Check1")->isChecked());
    EXPECT_TRUE(in<QLineEdit>(f, "Text3")->isEnabled());
    EXPECT_FALSE(in<QGroupBox>(f, "Frame1")->isVisible());
    EXPECT_EQ(f.minSizeValue(), 1.5 * 1048576);
    EXPECT_EQ(f.maxSizeValue(), 20.0 * 1048576);
    EXPECT_EQ(f.search().useMaxSize(), 1);
    EXPECT_EQ(f.search().minSizeBytes(), ByteCount::fromBytes(1572864));
    EXPECT_EQ(f.search().maxSizeBytes(), ByteCount::fromBytes(20971520));
    EXPECT_TRUE(boxes.boxes.empty());

    // Within the run a reopened finder shows the panel afresh while the
    // range still applies.
    f.close();
    QCoreApplication::processEvents();
    Form2 &again = finder();
    EXPECT_EQ(in<QLineEdit>(again, "Text2")->text(), QStringLiteral("0"));
    EXPECT_EQ(checkedUnit(again), 0);
    EXPECT_EQ(again.minSizeValue(), 1.5 * 1048576);
}

TEST_F(Settings, ARangeTheFinderRefusedIsNotKept)
{
    startRun();
    Form2 &f = finder();
    enterRange(f, QStringLiteral("4"), QStringLiteral("0"), 1, false);
    enterRange(f, QStringLiteral("99999999999999"), QStringLiteral("0"), 3, false);
    ASSERT_EQ(boxes.boxes.size(), 1u); // the finder's own message
    EXPECT_TRUE(in<QGroupBox>(f, "Frame1")->isVisible());
    endRun();

    SizeRangeEntry kept;
    ASSERT_TRUE(ProgramSettings(file).readSizeRange(kept));
    EXPECT_EQ(kept.from, QStringLiteral("4"));
    EXPECT_EQ(kept.unit, 1);
    EXPECT_FALSE(kept.useMax);
}

TEST_F(Settings, GarbageInTheFileGivesTheDefaultsAndIsReplacedAtTheEnd)
{
    const QRect fresh = designGeometry();
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 131 + 7) % 256));
    writeFile(garbage);

    startRun();
    expectFreshStart(fresh);
    ASSERT_TRUE(form->placeDivider(1800));
    endRun();

    startRun();
    EXPECT_DOUBLE_EQ(form->dividerLeftTwips(), 1800);
}

TEST_F(Settings, ValuesOutOfRangeAreEachIgnoredWithoutAMessage)
{
    const QRect fresh = designGeometry();
    writeFile("[MainWindow]\n"
              "geometry=@ByteArray(not a geometry)\n"
              "divider=100\n" // would leave the left panel under 800 twips
              "[ResultList]\n"
              "sortColumn=9\n"
              "sortOrder=descending\n"
              "[Duplicates]\n"
              "from=1E+20\n"
              "to=0\n"
              "unit=3\n"
              "upperBound=false\n");
    startRun();
    expectFreshStart(fresh);
    endRun();

    writeFile("[ResultList]\nsortColumn=2\nsortOrder=sideways\n"
              "[Duplicates]\nfrom=10\nto=5\nunit=0\nupperBound=true\n");
    startRun();
    expectFreshStart(fresh);
    endRun();

    writeFile("[Duplicates]\nfrom=10\nto=5\nunit=4\nupperBound=false\n");
    startRun();
    expectFreshStart(fresh);
    endRun();

    writeFile("[Duplicates]\nfrom=\" 10\"\nto=5\nunit=0\nupperBound=yes\n");
    startRun();
    expectFreshStart(fresh);
}

TEST_F(Settings, TheDiskSizeSwitchComesBackAndIsOffWithoutAUsableValue)
{
    fs.at("/data/a").onDisk = 4096;
    startRun();
    EXPECT_EQ(form->measure(), SizeMeasure::Apparent);
    form->findChild<QAction *>(QStringLiteral("m_disk_usage"))->trigger();
    endRun();
    EXPECT_EQ(
        QSettings(file, QSettings::NativeFormat).value(QStringLiteral("ResultList/diskUsage")).toString(),
        QStringLiteral("true"));

    startRun();
    EXPECT_TRUE(form->findChild<QAction *>(QStringLiteral("m_disk_usage"))->isChecked());
    EXPECT_EQ(form->measure(), SizeMeasure::OnDisk);
    EXPECT_FALSE(form->resultList()->hasRows()); // still no scan at the start
    form->startOrStopScan();
    EXPECT_EQ(fs.diskUsageCalls.size(), 3u);
    EXPECT_TRUE(fs.sizeCalls.empty());
    form->findChild<QAction *>(QStringLiteral("m_disk_usage"))->trigger();
    endRun();

    startRun();
    EXPECT_EQ(form->measure(), SizeMeasure::Apparent);
    endRun();

    for (const QByteArray value : {"yes", "1", "TRUE", ""}) {
        writeFile("[ResultList]\ndiskUsage=" + value + "\n");
        startRun();
        EXPECT_EQ(form->measure(), SizeMeasure::Apparent) << value.constData();
        endRun();
    }
}

TEST(SizeRangeEntry, UsableOnlyAsThePanelWouldTakeIt)
{
    EXPECT_TRUE(IsUsableSizeRange({QStringLiteral("0"), QStringLiteral("0"), 0, false}));
    EXPECT_TRUE(IsUsableSizeRange({QStringLiteral("10"), QStringLiteral("5"), 0, false})); // bound off
    EXPECT_TRUE(IsUsableSizeRange({QStringLiteral("5"), QStringLiteral("5"), 0, true}));
    EXPECT_FALSE(IsUsableSizeRange({QStringLiteral("10"), QStringLiteral("5"), 0, true}));
    EXPECT_TRUE(IsUsableSizeRange({QStringLiteral("abc"), QStringLiteral("0"), 2, false})); // counts as 0
    EXPECT_FALSE(IsUsableSizeRange({QString(), QStringLiteral("0"), 0, false}));
    EXPECT_FALSE(IsUsableSizeRange({QStringLiteral("1"), QStringLiteral("0"), -1, false}));
    // 858993 GiB is the last whole number of GiB the program's sizes hold.
    EXPECT_TRUE(IsUsableSizeRange({QStringLiteral("858993"), QStringLiteral("0"), 3, false}));
    EXPECT_FALSE(IsUsableSizeRange({QStringLiteral("858994"), QStringLiteral("0"), 3, false}));
    EXPECT_FALSE(IsUsableSizeRange({QStringLiteral("0"), QStringLiteral("858994"), 3, false}));
}
