#include "drives/frmSplash.h"

#include "Printers.h"
#include "support/FakeMountTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

using namespace vs;

namespace
{

// Answers from a table; a drive marked dead blocks until the gate opens.
class FakeReader : public VolumeReader
{
  public:
    VolumeInfo read(const DriveEntry &drive) override
    {
        if (dead.count(drive.mountPoint)) {
            std::unique_lock lock(mutex);
            gateOpen.wait(lock, [this] { return open; });
        }
        auto it = answers.find(drive.mountPoint);
        return it == answers.end() ? VolumeInfo{} : it->second;
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        gateOpen.notify_all();
    }
    std::map<QByteArray, VolumeInfo> answers;
    std::set<QByteArray> dead;
    std::mutex mutex;
    std::condition_variable gateOpen;
    bool open = false;
};

DriveEntry Drive(const char *mountPoint, const char *fs, int type, const QString &label = {})
{
    DriveEntry d;
    d.mountPoint = mountPoint;
    d.fsType = fs;
    d.platformType = type;
    d.label = label;
    return d;
}

VolumeInfo Answer(uint64_t available, uint64_t total, uint64_t free, const char *fs, const QString &name,
                  uint32_t serial)
{
    VolumeInfo v;
    v.availableBytes = available;
    v.totalBytes = total;
    v.freeBytes = free;
    v.fileSystemName = QString::fromLatin1(fs);
    v.volumeName = name;
    v.serial = serial;
    v.answered = true;
    return v;
}

QString Text(frmSplash *w, const char *name)
{
    auto *label = w->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

int OverviewCount()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<frmSplash *>(w) != nullptr;
    return n;
}

class Overview : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        mounts.entries = {Drive("/", "ext4", 3),
                          Drive("/media/anna/USB STICK", "vfat", 2, QStringLiteral("STICK")),
                          Drive("/mnt/dead", "nfs4", 4), Drive("/tmp", "tmpfs", 6)};
        reader->answers["/"] =
            Answer(400000000000ULL, 1000000000000ULL, 450000000000ULL, "ext4", {}, 0x1b4e28ba);
        reader->answers["/media/anna/USB STICK"] =
            Answer(1234567, 8000000, 2000000, "vfat", QStringLiteral("STICK"), 4294967295u);
        reader->answers["/tmp"] = Answer(0, 0, 0, "tmpfs", {}, 0);
        reader->dead = {"/mnt/dead"};
    }
    void TearDown() override
    {
        reader->release(); // lets the blocked worker end
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<frmSplash *>(w))
                delete w;
    }
    frmSplash *open(const QString &text, VolumeQuery *volumes = nullptr)
    {
        auto *window = new frmSplash(mounts, volumes ? *volumes : query);
        window->open(text);
        return window;
    }

    test::FakeMountTable mounts;
    std::shared_ptr<FakeReader> reader = std::make_shared<FakeReader>();
    // The real limit: only the dead drive waits for it (once, while its worker
    // stays blocked), and a loaded machine still answers the live ones in time.
    TimedVolumeQuery query{reader, kDriveTimeLimit};
};

} // namespace

TEST_F(Overview, OpensWithinTheLimitWithADriveThatDoesNotAnswer)
{
    QElapsedTimer clock;
    clock.start();
    frmSplash *w = open(QStringLiteral("/media/anna/USB STICK [STICK]"));
    // Far above the limit, far below "hung".
    EXPECT_LT(clock.elapsed(), 60000);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->size(), QSize(422 + 4, 459 + 4));
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Tool);

    auto *list = w->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->headerItem()->text(4), QStringLiteral("Файловая система"));
    auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << list->topLevelItem(r)->text(c);
        return cells;
    };
    EXPECT_EQ(row(0),
              (QStringList{QStringLiteral("/"), QStringLiteral("0,9 Тбайт"), QStringLiteral("419,1 Гбайт"),
                           QStringLiteral("512,2 Гбайт"), QStringLiteral("ext4")}));
    EXPECT_EQ(row(1), (QStringList{QStringLiteral("/media/anna/USB STICK"), QStringLiteral("7,6 Мбайт"),
                                   QStringLiteral("1,9 Мбайт"), QStringLiteral("5,7 Мбайт"),
                                   QStringLiteral("vfat")}));
    EXPECT_EQ(row(2), (QStringList{QStringLiteral("/mnt/dead"), QStringLiteral("0 байт"),
                                   QStringLiteral("0 байт"), QStringLiteral("0 байт"), QString()}));
    EXPECT_EQ(list->topLevelItem(2)->toolTip(0), QStringLiteral("Сетевой диск"));
    EXPECT_EQ(list->topLevelItem(1)->toolTip(3), QStringLiteral("Сменный носитель"));
    EXPECT_EQ(list->topLevelItem(3)->toolTip(0), QStringLiteral("RAM диск"));
    EXPECT_EQ(list->topLevelItem(2)->data(0, Qt::UserRole + 1).toInt(), 4);

    // The main window's drive is shown; the banner is gone.
    const QString nb = QLocale().groupSeparator();
    EXPECT_EQ(Text(w, "Label8"), QStringLiteral("/media/anna/USB STICK"));
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Picture1"))->toolTip(),
              QStringLiteral("Диск - /media/anna/USB STICK [STICK]"));
    EXPECT_EQ(Text(w, "Label4"),
              QStringLiteral("6") + nb + QStringLiteral("000") + nb + QStringLiteral("000 байт "));
    EXPECT_EQ(Text(w, "Label3"),
              QStringLiteral("2") + nb + QStringLiteral("000") + nb + QStringLiteral("000 байт "));
    EXPECT_EQ(Text(w, "Label10"),
              QStringLiteral("1") + nb + QStringLiteral("234") + nb + QStringLiteral("567 байт "));
    EXPECT_EQ(Text(w, "Label7"),
              QStringLiteral("8") + nb + QStringLiteral("000") + nb + QStringLiteral("000 байт "));
    EXPECT_EQ(Text(w, "Label13"), QStringLiteral("5,7 Мбайт"));
    EXPECT_EQ(Text(w, "Label12"), QStringLiteral("1,9 Мбайт"));
    EXPECT_EQ(Text(w, "Label11"), QStringLiteral("1,2 Мбайт"));
    EXPECT_EQ(Text(w, "Label14"), QStringLiteral("7,6 Мбайт"));
    EXPECT_EQ(Text(w, "Label16"), QStringLiteral("vfat"));
    EXPECT_EQ(Text(w, "Label17"), QStringLiteral("STICK"));
    EXPECT_EQ(Text(w, "Label19"), QStringLiteral("1"));
    EXPECT_FALSE(w->findChild<QLabel *>(QStringLiteral("Label21"))->isVisible());
    EXPECT_FALSE(w->findChild<QWidget *>(QStringLiteral("Shape1"))->isVisible());
    EXPECT_TRUE(w->findChild<QLabel *>(QStringLiteral("Picture1"))->isVisible());
    // The exact counts keep their right edge.
    auto *l4 = w->findChild<QLabel *>(QStringLiteral("Label4"));
    auto *l7 = w->findChild<QLabel *>(QStringLiteral("Label7"));
    EXPECT_EQ(l4->geometry().right(), l7->geometry().right());
    EXPECT_EQ(l4->x() + l4->width(), 307);

    // The dead share, clicked: zeros and empty names, at once (its worker is still blocked).
    QElapsedTimer click;
    click.start();
    const QRect deadRow = list->visualItemRect(list->topLevelItem(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, deadRow.center());
    EXPECT_EQ(Text(w, "Label8"), QStringLiteral("/mnt/dead"));
    EXPECT_EQ(Text(w, "Label4"), QStringLiteral("0 байт "));
    EXPECT_EQ(Text(w, "Label7"), QStringLiteral("0 байт "));
    EXPECT_EQ(Text(w, "Label14"), QStringLiteral("0 байт"));
    EXPECT_EQ(Text(w, "Label16"), QString());
    EXPECT_EQ(Text(w, "Label17"), QString());
    EXPECT_EQ(Text(w, "Label19"), QStringLiteral("0"));
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Picture1"))->toolTip(),
              QStringLiteral("Диск - /mnt/dead"));
    // Zero total: all used colours except the front line.
    EXPECT_EQ(w->chartImage().pixelColor(133, 67), QColor(0, 0, 255));
}

TEST_F(Overview, CharacterKeysCloseAndArrowsMove)
{
    QPointer<frmSplash> w = open(QStringLiteral("/"));
    auto *list = w->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Tab);
    QTest::keyClick(list, Qt::Key_Shift);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(Text(w, "Label8"), QStringLiteral("/media/anna/USB STICK"));
    EXPECT_EQ(Text(w, "Label19"), QStringLiteral("1"));

    w->close(); // its owner closes it before opening the next one
    for (auto key :
         {Qt::Key_Escape, Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Space}) {
        QPointer<frmSplash> v = open(QStringLiteral("/"));
        QTest::keyClick(v->findChild<QTreeWidget *>(QStringLiteral("ListView1")), key);
        EXPECT_EQ(OverviewCount(), 0) << key;
        EXPECT_FALSE(v) << key;
    }
    EXPECT_FALSE(w);
}

TEST_F(Overview, EachOpeningIsANewWindowThatGoesWhenClosed)
{
    // Keeping one overview at a time is the owner's part (ProgramWindows).
    QPointer<frmSplash> first = open(QStringLiteral("/"));
    EXPECT_EQ(OverviewCount(), 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(Text(first, "Label8"), QStringLiteral("/"));
    first->requestClose();
    EXPECT_EQ(OverviewCount(), 0);
    EXPECT_FALSE(first);

    QPointer<frmSplash> second = open(QStringLiteral("/tmp"));
    EXPECT_EQ(OverviewCount(), 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(Text(second, "Label8"), QStringLiteral("/tmp"));
    second->close();
    EXPECT_EQ(OverviewCount(), 0);
    EXPECT_FALSE(second);
}

TEST_F(Overview, LosingActivationCloses)
{
    QWidget other;
    other.show();
    QPointer<frmSplash> w = open(QStringLiteral("/"));
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w))
        GTEST_SKIP() << "this platform does not activate windows";
    other.activateWindow();
    QTRY_VERIFY(!w);
}

TEST_F(Overview, UnknownTextsAndHugeVolumes)
{
    reader->answers["/"] = Answer(1000000000000000000ULL, 2000000000000000000ULL, 1000000000000000000ULL,
                                  "zfs", QStringLiteral("tank"), 2147483648u);
    frmSplash *w = open(QStringLiteral("/gone [OLD]"));
    EXPECT_EQ(Text(w, "Label8"), QStringLiteral("/gone"));
    EXPECT_EQ(Text(w, "Label7"), QStringLiteral("0 байт "));
    EXPECT_EQ(Text(w, "Label19"), QStringLiteral("0"));
    // A label read earlier by the main window still finds its drive.
    w->showDriveDetails(QStringLiteral("/ [renamed]"));
    EXPECT_EQ(Text(w, "Label8"), QStringLiteral("/"));
    EXPECT_EQ(Text(w, "Label14"), QStringLiteral("1,7 Xбайт (!)"));
    EXPECT_EQ(Text(w, "Label19"), QStringLiteral("2147483648"));
    EXPECT_EQ(Text(w, "Label17"), QStringLiteral("tank"));
    auto *list = w->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("1,7 Xбайт (!)"));
    // Half free: the right half of the face is magenta, the left blue.
    EXPECT_EQ(w->chartImage().pixelColor(200, 30), QColor(255, 0, 255));
    EXPECT_EQ(w->chartImage().pixelColor(60, 60), QColor(0, 0, 255));
}

namespace
{
// Asked on the interface thread: notes what the window shows while drives are asked.
class WatchingQuery : public VolumeQuery
{
  public:
    std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *overview = qobject_cast<frmSplash *>(w)) {
                bannerSeen.push_back(overview->isVisible() &&
                                     overview->findChild<QLabel *>(QStringLiteral("Label21"))->isVisible() &&
                                     overview->findChild<QWidget *>(QStringLiteral("Shape1"))->isVisible());
                label4Seen.push_back(overview->findChild<QLabel *>(QStringLiteral("Label4"))->text());
            }
        if (onQuery)
            onQuery();
        return std::vector<VolumeInfo>(drives.size());
    }
    std::function<void()> onQuery;
    std::vector<bool> bannerSeen;
    QStringList label4Seen;
};
} // namespace

TEST_F(Overview, ShownWithTheBannerBeforeAnyDriveIsAsked)
{
    WatchingQuery watching;
    frmSplash *w = open(QStringLiteral("/"), &watching);
    // Once for the list, once for the details.
    EXPECT_EQ(watching.bannerSeen, (std::vector<bool>{true, true}));
    EXPECT_EQ(watching.label4Seen, (QStringList{QStringLiteral("#"), QStringLiteral("#")}));
    EXPECT_FALSE(w->findChild<QLabel *>(QStringLiteral("Label21"))->isVisible());
    EXPECT_EQ(Text(w, "Label4"), QStringLiteral("0 байт "));
}

TEST_F(Overview, AKeyWhileDrivesAreAskedClosesOnceTheOpeningIsDone)
{
    WatchingQuery watching;
    int calls = 0;
    watching.onQuery = [&] {
        ++calls;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *overview = qobject_cast<frmSplash *>(w))
                QTest::keyClick(overview->findChild<QTreeWidget *>(QStringLiteral("ListView1")),
                                Qt::Key_Escape);
    };
    QPointer<frmSplash> w = open(QStringLiteral("/"), &watching);
    EXPECT_EQ(calls, 2); // the details were still asked for
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    EXPECT_EQ(OverviewCount(), 0);
}

TEST_F(Overview, ACloseAskedWhileDrivesAreAskedWaitsForTheAnswers)
{
    WatchingQuery watching;
    std::vector<bool> stillThere;
    watching.onQuery = [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *overview = qobject_cast<frmSplash *>(w)) {
                overview->requestClose();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                stillThere.push_back(overview->isVisible());
            }
    };
    QPointer<frmSplash> w = open(QStringLiteral("/"), &watching);
    // Both asks ran with the window open; it closed when the opening was done.
    EXPECT_EQ(stillThere, (std::vector<bool>{true, true}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);

    // Once the opening is done a close is immediate, and details asked later
    // leave no close behind.
    QPointer<frmSplash> v = open(QStringLiteral("/"));
    v->showDriveDetails(QStringLiteral("/tmp"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->isVisible());
    v->requestClose();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(v);
}
