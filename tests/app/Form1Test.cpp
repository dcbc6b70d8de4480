#include "app/Form1.h"
#include "app/Divider.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "util/ByteCount.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"
#include "widgets/Twips.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

struct Form1Fixture : ::testing::Test {
    Form1Fixture()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        fs.add("/data/b", 250);
        fs.add("/data/c", 5);
        fs.add("/data/a/x", 10);
        fs.add("/data/a/y", 20);
        fs.add("/media");
        fs.add("/media/cd");
        mounts.add("/");
        mounts.add("/media/cd");
        mounts.failures["/media/cd"] = kErrDeviceUnavailable;
    }
    Form1 &form()
    {
        if (!form_) {
            form_ =
                std::make_unique<Form1>(WindowServices{fs, mounts, shell, boxes, yield}, QByteArray("/data"));
            started = std::make_unique<QSignalSpy>(&form_->scan(), &FolderScan::scanStarted);
        }
        return *form_;
    }
    template <typename T> T *child(const char *name)
    {
        return form().findChild<T *>(QString::fromLatin1(name));
    }
    void selectRow(int row)
    {
        ResultList *list = form().resultList();
        list->setCurrentItem(list->topLevelItem(row));
    }
    int scans() const { return started ? int(started->count()) : 0; }

    FakeFileSystem fs;
    FakeMountTable mounts;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    ScriptedYield yield;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QSignalSpy> started;
};

QByteArray HelpFile()
{
    return QFile::encodeName(QCoreApplication::applicationDirPath()) + "/help.chm";
}

} // namespace

TEST_F(Form1Fixture, ControlsCarryTheirNamesCaptionsAndToolTips)
{
    Form1 &f = form();
    EXPECT_EQ(f.objectName(), u"Form1"_qs);
    EXPECT_EQ(f.windowTitle(), u"Volumescope"_qs);
    EXPECT_EQ(f.appFolder(), QFile::encodeName(QCoreApplication::applicationDirPath()) + "/");
    EXPECT_EQ(child<QPushButton>("Command1")->text(), u"Показать"_qs);
    EXPECT_EQ(child<QCheckBox>("Check1")->text(), u"Авто просмотр"_qs);
    EXPECT_FALSE(child<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(child<QLabel>("Label1")->text(), u"Кол-во: "_qs);
    EXPECT_EQ(child<QProgressBar>("ProgressBar1")->value(), 0);
    QPushButton *command2 = child<QPushButton>("Command2");
    EXPECT_EQ(command2->text(), QString());
    EXPECT_FALSE(command2->icon().isNull());
    EXPECT_EQ(command2->toolTip(), u"Информация о накопителях"_qs);
    EXPECT_NE(child<Divider>("Image1"), nullptr);
    EXPECT_EQ(child<ResultList>("ListView1"), f.resultList());
    EXPECT_EQ(child<DirListBox>("Dir1")->openFolder(), QByteArray("/data"));
    EXPECT_EQ(child<DirListBox>("Dir1")->toolTip(), u"/data"_qs);
    EXPECT_EQ(child<DriveListBox>("Drive1")->currentIndex(), 0);
    EXPECT_EQ(f.chosenDriveText(), u"/"_qs);
    EXPECT_EQ(f.lastDriveIndex(), 0);
    EXPECT_FALSE(f.resultList()->hasRows()); // no scan at opening
    EXPECT_EQ(scans(), 0);

    const QCursor cursor = child<Divider>("Image1")->cursor();
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(cursor.hotSpot(), QPoint(15, 15));
}

TEST_F(Form1Fixture, ToolbarHasSevenButtonsWithTheirTextsAndPictures)
{
    QToolBar *bar = child<QToolBar>("Toolbar1");
    ASSERT_NE(bar, nullptr);
    const QList<QAction *> actions = bar->actions();
    ASSERT_EQ(actions.size(), 7);
    const QString captions[] = {u"Обновить"_qs, u"Открыть..."_qs, u"Печать..."_qs, {}, u"Дубликатор"_qs, {},
                                u"Помощь"_qs};
    const QString tips[] = {u"Обновить - <F5>"_qs,        u"Открыть... - <F3>"_qs,
                            u"Печать/Документ - <F2>"_qs, {},
                            u"Дубликатор - <F4>"_qs,      {},
                            u"Помощь - <Shift + F5>"_qs};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(actions[i]->isSeparator(), i == 3 || i == 5);
        EXPECT_EQ(actions[i]->objectName(), QStringLiteral("Button%1").arg(i + 1));
        if (actions[i]->isSeparator())
            continue;
        EXPECT_EQ(actions[i]->text(), captions[i]);
        EXPECT_EQ(actions[i]->iconText(), captions[i]);
        EXPECT_EQ(actions[i]->toolTip(), tips[i]);
        EXPECT_FALSE(actions[i]->icon().isNull());
    }
}

TEST_F(Form1Fixture, ToolbarButtonsRunTheirCommandsAndSeparatorsNothing)
{
    Form1 &f = form();
    QSignalSpy print(&f, &Form1::printRequested);
    QSignalSpy dupes(&f, &Form1::duplicatesRequested);
    QSignalSpy about(&f, &Form1::aboutRequested);
    QSignalSpy drives(&f, &Form1::driveOverviewRequested);
    const QList<QAction *> actions = child<QToolBar>("Toolbar1")->actions();

    actions[3]->trigger();
    actions[5]->trigger();
    EXPECT_EQ(scans(), 0);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(print.count() + dupes.count() + about.count() + drives.count(), 0);

    actions[0]->trigger();
    EXPECT_EQ(scans(), 1);
    EXPECT_EQ(f.resultList()->rowCount(), 4);
    selectRow(2);
    actions[1]->trigger();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(shell.opened[0].startsWith("/data/"));
    actions[2]->trigger();
    EXPECT_EQ(print.count(), 1);
    actions[4]->trigger();
    EXPECT_EQ(dupes.count(), 1);
    actions[6]->trigger();
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], HelpFile());
    EXPECT_EQ(about.count(), 0);
    EXPECT_EQ(scans(), 1);

    QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(drives.count(), 1);
}

TEST_F(Form1Fixture, MenuItemsShowTheirKeysAndRunTheirCommands)
{
    Form1 &f = form();
    QMenu *menu = f.contextMenu();
    EXPECT_EQ(menu->objectName(), u"m_mnu"_qs);
    EXPECT_EQ(menu->title(), u"Файл"_qs);
    const QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 8); // and a separator, then the measure switch
    const QString texts[] = {u"Открыть\tF3"_qs,    u"Обновить/Остановить\tF5"_qs, u"Печать...\tF2"_qs,
                             u"Дубликатор\tF4"_qs, u"Помощь\tShift+F1"_qs,        u"О программе..."_qs};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(items[i]->text(), texts[i]);
        EXPECT_EQ(items[i]->objectName(), QStringLiteral("m_open_%1").arg(i));
        EXPECT_TRUE(items[i]->shortcut().isEmpty());
    }
    QSignalSpy print(&f, &Form1::printRequested);
    QSignalSpy dupes(&f, &Form1::duplicatesRequested);
    QSignalSpy about(&f, &Form1::aboutRequested);

    items[1]->trigger();
    EXPECT_EQ(scans(), 1);
    selectRow(0);
    items[0]->trigger();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], QByteArray("/data"));
    items[2]->trigger();
    items[3]->trigger();
    items[4]->trigger();
    items[5]->trigger();
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(dupes.count(), 1);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], HelpFile());
    EXPECT_EQ(about.count(), 1);
}

namespace
{

enum class Outcome { Nothing, About, Help, Print, Open, Duplicates, Scan };

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    bool press;
    Outcome expected;
};

const KeyCase kKeyCases[] = {
    {Qt::Key_F1, Qt::NoModifier, false, Outcome::About},
    {Qt::Key_F1, Qt::ControlModifier, false, Outcome::About},
    {Qt::Key_F1, Qt::AltModifier, false, Outcome::About},
    {Qt::Key_F1, Qt::ShiftModifier, false, Outcome::Help},
    {Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier, false, Outcome::About},
    {Qt::Key_F1, Qt::NoModifier, true, Outcome::Nothing},
    {Qt::Key_F1, Qt::ShiftModifier, true, Outcome::Nothing},
    {Qt::Key_F2, Qt::NoModifier, false, Outcome::Print},
    {Qt::Key_F2, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, false, Outcome::Print},
    {Qt::Key_F2, Qt::NoModifier, true, Outcome::Nothing},
    {Qt::Key_F3, Qt::NoModifier, false, Outcome::Open},
    {Qt::Key_F3, Qt::ShiftModifier, false, Outcome::Open},
    {Qt::Key_F3, Qt::ControlModifier, false, Outcome::Open},
    {Qt::Key_F3, Qt::NoModifier, true, Outcome::Nothing},
    {Qt::Key_F4, Qt::NoModifier, true, Outcome::Duplicates},
    {Qt::Key_F4, Qt::ShiftModifier, true, Outcome::Nothing},
    {Qt::Key_F4, Qt::ControlModifier, true, Outcome::Nothing},
    {Qt::Key_F4, Qt::AltModifier, true, Outcome::Nothing},
    {Qt::Key_F4, Qt::NoModifier, false, Outcome::Nothing},
    {Qt::Key_F4, Qt::ShiftModifier, false, Outcome::Nothing},
    {Qt::Key_F5, Qt::NoModifier, false, Outcome::Scan},
    {Qt::Key_F5, Qt::ShiftModifier, false, Outcome::Scan},
    {Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier, false, Outcome::Scan},
    {Qt::Key_F5, Qt::NoModifier, true, Outcome::Nothing},
    {Qt::Key_F6, Qt::NoModifier, false, Outcome::Nothing},
    {Qt::Key_F6, Qt::NoModifier, true, Outcome::Nothing},
};

} // namespace

TEST_F(Form1Fixture, EachKeyOfTheWindowWithAndWithoutModifiers)
{
    int n = 0;
    for (const KeyCase &c : kKeyCases) {
        SCOPED_TRACE(testing::Message() << "key F" << (c.key - Qt::Key_F1 + 1) << " mods 0x" << std::hex
                                        << int(c.mods) << (c.press ? " press" : " release"));
        form_.reset();
        started.reset();
        shell.opened.clear();
        Form1 &f = form();
        f.startOrStopScan(); // rows for F3
        selectRow(2);
        const int scansBefore = scans();
        QSignalSpy print(&f, &Form1::printRequested);
        QSignalSpy dupes(&f, &Form1::duplicatesRequested);
        QSignalSpy about(&f, &Form1::aboutRequested);

        // Whichever control has the focus, the window sees the key.
        QWidget *targets[] = {f.resultList(), f.folderList(), f.driveList(), child<QPushButton>("Command1")};
        QWidget *target = targets[n++ % 4];
        if (c.press)
            QTest::keyPress(target, c.key, c.mods);
        else
            QTest::keyRelease(target, c.key, c.mods);

        EXPECT_EQ(about.count(), c.expected == Outcome::About ? 1 : 0);
        EXPECT_EQ(print.count(), c.expected == Outcome::Print ? 1 : 0);
        EXPECT_EQ(dupes.count(), c.expected == Outcome::Duplicates ? 1 : 0);
        EXPECT_EQ(scans() - scansBefore, c.expected == Outcome::Scan ? 1 : 0);
        if (c.expected == Outcome::Help) {
            EXPECT_EQ(shell.opened, std::vector<QByteArray>{HelpFile()});
        } else if (c.expected == Outcome::Open) {
            EXPECT_EQ(shell.opened, std::vector<QByteArray>{f.resultList()->rowPath(2)});
        } else {
            EXPECT_TRUE(shell.opened.empty());
        }
    }
}

TEST_F(Form1Fixture, HeldKeysActOnce)
{
    Form1 &f = form();
    QSignalSpy about(&f, &Form1::aboutRequested);
    QSignalSpy dupes(&f, &Form1::duplicatesRequested);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(f.folderList(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier, QString(), i < 2);
        QApplication::sendEvent(f.folderList(), &release);
    }
    EXPECT_EQ(dupes.count(), 1);
    EXPECT_EQ(about.count(), 1);
}

TEST_F(Form1Fixture, F3WithoutRowsOpensNothingAndOnTheParentRowOpensCurrentFolder)
{
    Form1 &f = form();
    QTest::keyRelease(f.resultList(), Qt::Key_F3);
    EXPECT_TRUE(shell.opened.empty());

    // Open /data/a but highlight its ancestor /data: the list shows the
    // subfolders of /data while the scan's open folder is /data/a.
    f.folderList()->openAt("/data/a");
    f.folderList()->setCurrentRow(1);
    ASSERT_EQ(f.folderList()->highlightedFolder(), QByteArray("/data"));
    QTest::keyRelease(f.resultList(), Qt::Key_F5);
    ASSERT_EQ(f.resultList()->rowCount(), 4);
    ASSERT_EQ(f.scan().currentFolder(), QByteArray("/data/a"));
    selectRow(0);
    QTest::keyRelease(f.resultList(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(shell.opened, std::vector<QByteArray>{"/data/a"});
}

TEST_F(Form1Fixture, EnterReleasedInTheListDrillsDown)
{
    Form1 &f = form();
    f.startOrStopScan();
    int row = -1;
    for (int i = 1; i < f.resultList()->rowCount(); ++i) {
        if (f.resultList()->rowPath(i) == QByteArray("/data/a"))
            row = i;
    }
    ASSERT_GT(row, 0);
    selectRow(row);
    QTest::keyRelease(f.resultList(), Qt::Key_Return);
    EXPECT_EQ(f.folderList()->openFolder(), QByteArray("/data/a"));
    EXPECT_EQ(scans(), 2);
    EXPECT_EQ(f.resultList()->rowCount(), 3); // parent row, x, y
}

TEST_F(Form1Fixture, AutoViewScansAfterAFolderChangeOnlyWhenTicked)
{
    Form1 &f = form();
    f.folderList()->openAt("/data/a");
    EXPECT_EQ(scans(), 0);

    child<QCheckBox>("Check1")->setChecked(true);
    f.folderList()->openAt("/data");
    EXPECT_EQ(scans(), 1);
    EXPECT_EQ(f.resultList()->rowCount(), 4);
    EXPECT_EQ(f.scan().currentFolder(), QByteArray("/data"));
    EXPECT_FALSE(f.scan().scanRunning());
}

TEST_F(Form1Fixture, AutoViewDuringAScanOnlyStopsIt)
{
    Form1 &f = form();
    child<QCheckBox>("Check1")->setChecked(true);
    // /data has three subfolders: three yields counting, three listing, then
    // one before each measurement after the first.
    yield.hook = [&](int n) {
        if (n == 7)
            f.folderList()->openAt("/data/a");
    };
    QTest::keyRelease(f.folderList(), Qt::Key_F5);
    EXPECT_EQ(scans(), 1);
    EXPECT_FALSE(f.scan().scanRunning());
    EXPECT_EQ(fs.sizeCalls, (std::vector<QByteArray>{"/data/a", "/data/b"}));
    EXPECT_FALSE(f.resultList()->hasRows()); // the stopped scan left the empty list
    EXPECT_EQ(f.folderList()->openFolder(), QByteArray("/data/a"));
    EXPECT_EQ(child<QPushButton>("Command1")->text(), u"Показать"_qs);
}

TEST_F(Form1Fixture, ChoosingADriveWithoutMediumReportsItAndGoesBack)
{
    Form1 &f = form();
    DriveListBox *drive1 = f.driveList();
    drive1->setCurrentIndex(1);
    emit drive1->activated(1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, u"Диск '/media/cd' пуст. Вставте диск, а потом повторите попытку."_qs);
    EXPECT_EQ(boxes.boxes[0].title, u"Список дисков"_qs);
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(drive1->currentIndex(), 0);
    EXPECT_EQ(f.lastDriveIndex(), 0);
    EXPECT_EQ(f.chosenDriveText(), u"/"_qs);
    EXPECT_EQ(f.folderList()->openFolder(), QByteArray("/data"));
    EXPECT_EQ(scans(), 0);
}

TEST_F(Form1Fixture, RightButtonReleaseInTheListShowsTheMenu)
{
    Form1 &f = form();
    f.show();
    f.startOrStopScan();
    ResultList *list = f.resultList();
    const QRect r = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, r.center());
    EXPECT_TRUE(f.contextMenu()->isVisible());
    EXPECT_TRUE(child<QLabel>("Label1")->text().startsWith(u"Кол-во: 3/1 - '"_qs));
    f.contextMenu()->hide();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_FALSE(f.contextMenu()->isVisible());
}

TEST_F(Form1Fixture, ClosingDuringAScanStopsItFirst)
{
    Form1 &f = form();
    f.show();
    QSignalSpy closing(&f, &Form1::closing);
    bool closedAtOnce = true;
    yield.hook = [&](int n) {
        if (n == 7) {
            closedAtOnce = f.close();
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(closing.count(), 0);
        }
    };
    f.startOrStopScan();
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(fs.sizeCalls.size(), 2u); // stopped after the next measurement
    EXPECT_EQ(closing.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(Form1Fixture, ClosingWhenIdleClosesAtOnce)
{
    Form1 &f = form();
    f.show();
    QSignalSpy closing(&f, &Form1::closing);
    EXPECT_TRUE(f.close());
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(Form1Fixture, CtrlQClosesTheWindowAsItsCloseBoxDoes)
{
    Form1 &f = form();
    f.show();
    QSignalSpy closing(&f, &Form1::closing);
    // Q alone, or with Shift or Alt beside Ctrl, is not the key.
    QTest::keyClick(f.folderList(), Qt::Key_Q);
    QTest::keyClick(f.folderList(), Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(f.folderList(), Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(closing.count(), 0);
    QTest::keyClick(f.resultList(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(Form1Fixture, CtrlQDuringAScanStopsItThenCloses)
{
    Form1 &f = form();
    f.show();
    QSignalSpy closing(&f, &Form1::closing);
    yield.hook = [&](int n) {
        if (n == 7)
            QTest::keyClick(f.resultList(), Qt::Key_Q, Qt::ControlModifier);
    };
    f.startOrStopScan();
    EXPECT_EQ(fs.sizeCalls.size(), 2u);
    EXPECT_EQ(closing.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(closing.count(), 1);
}

TEST_F(Form1Fixture, ShiftF10AndTheMenuKeyOpenTheFileMenu)
{
    Form1 &f = form();
    f.show();
    f.startOrStopScan();
    selectRow(2);
    QMenu *menu = f.contextMenu();
    const QRect row = f.resultList()->visualItemRect(f.resultList()->topLevelItem(2));
    const QPoint underRow = f.resultList()->viewport()->mapToGlobal(row.bottomLeft());
    for (QWidget *target : {static_cast<QWidget *>(f.resultList()), static_cast<QWidget *>(f.folderList())}) {
        QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(menu->pos(), underRow);
        menu->hide();
        QTest::keyClick(target, Qt::Key_Menu);
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    }
    // F10 alone and the Menu key with Ctrl are left to the controls.
    QTest::keyClick(f.resultList(), Qt::Key_F10);
    QTest::keyClick(f.resultList(), Qt::Key_Menu, Qt::ControlModifier);
    EXPECT_FALSE(menu->isVisible());

    // With no row selected it opens at the list's corner; the keyboard
    // then runs its items.
    f.resultList()->clearSelection();
    QTest::keyClick(f.resultList(), Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), f.resultList()->viewport()->mapToGlobal(QPoint(0, 0)));
    QSignalSpy about(&f, &Form1::aboutRequested);
    QTest::keyClick(menu, Qt::Key_Up); // the last item, "Размер на диске"
    QTest::keyClick(menu, Qt::Key_Up); // over the separator, "О программе..."
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(f.measure(), SizeMeasure::Apparent);
}

TEST_F(Form1Fixture, ResizeLaysOutTheRealWindow)
{
    Form1 &f = form();
    f.show();
    f.resize(740, 500);
    QCoreApplication::processEvents();
    // Outer width 740 * 15 + 120 = 11220 twips: the list gets 11220 - 2220 - 165.
    const MainLayout &l = f.layoutTwips();
    const double listHeight = 500 * 15 + kFrameHeight - 1010;
    EXPECT_EQ(f.outerWidthTwips(), 11220);
    EXPECT_EQ(f.outerHeightTwips(), 500 * 15 + kFrameHeight);
    EXPECT_DOUBLE_EQ(l.resultList.width, 8835);
    EXPECT_DOUBLE_EQ(l.resultList.height, listHeight);
    EXPECT_EQ(f.resultList()->geometry(), TwRect(2220, 405, 8835, listHeight));
    EXPECT_EQ(f.resultList()->columnWidthTwips(1), static_cast<float>(8835 / 2.2));
    EXPECT_EQ(f.resultList()->columnWidthTwips(2), static_cast<float>(8835 / 3.0));
    EXPECT_EQ(f.resultList()->columnWidthTwips(3), static_cast<float>(8835 / 6.1));
    EXPECT_EQ(child<QPushButton>("Command1")->geometry(), TwRect(30, 405 + listHeight - 410, 2070, 360));
    EXPECT_EQ(f.folderList()->geometry(), TwRect(30, 780, 2070, 405 + listHeight - 410 - 300 - 780 - 50));
    // The bottom row stays inside the client area.
    EXPECT_LE(child<QCheckBox>("Check1")->geometry().bottom(), f.height());
    EXPECT_LE(child<QLabel>("Label1")->geometry().bottom(), f.height());

    // Too low: the window keeps the minimum height of 7170 twips.
    f.resize(740, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.outerHeightTwips(), 7170);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.height, 6160);

    // Too narrow for the list: the last accepted width comes back.
    f.resize(100, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.width(), 740);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.width, 8835);
}

namespace
{

void SendMouse(QWidget *w, QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF local(x, 20);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(Form1Fixture, DraggingTheDividerWithinItsLimits)
{
    Form1 &f = form();
    f.show();
    f.resize(740, 500);
    QCoreApplication::processEvents();
    Divider *image1 = child<Divider>("Image1");
    ASSERT_EQ(image1->geometry().left(), Px(2130));

    // Grabbed 3 pixels (45 twips) inside, pointer 91 pixels left of the
    // divider's edge: it moves left by 1410 twips, the list starts at 810.
    SendMouse(image1, QEvent::MouseButtonPress, 3, Qt::LeftButton, Qt::LeftButton);
    SendMouse(image1, QEvent::MouseMove, -91, Qt::NoButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.left, 810);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.width, 8835 + 1410);
    EXPECT_EQ(f.resultList()->geometry().left(), Px(810));
    EXPECT_EQ(image1->geometry().left(), Px(720));
    EXPECT_EQ(f.folderList()->width(), Px(2070 - 1410));
    EXPECT_EQ(child<QPushButton>("Command2")->geometry().left(), Px(30 + 1680 - 1410 + 10));

    // Further left would leave less than 800: nothing moves.
    SendMouse(image1, QEvent::MouseMove, 2, Qt::NoButton, Qt::LeftButton);
    SendMouse(image1, QEvent::MouseMove, -200, Qt::NoButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.left, 810);
    // Back to the right picks it up again.
    SendMouse(image1, QEvent::MouseMove, 13, Qt::NoButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.left, 960);
    SendMouse(image1, QEvent::MouseButtonRelease, 3, Qt::LeftButton, Qt::NoButton);

    // The right button, or both, drag nothing.
    SendMouse(image1, QEvent::MouseButtonPress, 3, Qt::RightButton, Qt::RightButton);
    SendMouse(image1, QEvent::MouseMove, 40, Qt::NoButton, Qt::RightButton);
    SendMouse(image1, QEvent::MouseMove, 40, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.left, 960);

    // A later resize keeps the split.
    f.resize(800, 500);
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.left, 960);
    EXPECT_DOUBLE_EQ(f.layoutTwips().resultList.width, 800 * 15 + 120 - 960 - 165);
}

TEST_F(Form1Fixture, TheDiskSizeSwitchFollowsTheItemsOffAtFirst)
{
    Form1 &f = form();
    const QList<QAction *> items = f.contextMenu()->actions();
    ASSERT_EQ(items.size(), 8);
    EXPECT_TRUE(items[6]->isSeparator());
    QAction *disk = items[7];
    EXPECT_EQ(disk->text(), u"Размер на диске"_qs);
    EXPECT_EQ(disk->objectName(), u"m_disk_usage"_qs);
    EXPECT_TRUE(disk->isCheckable());
    EXPECT_FALSE(disk->isChecked());
    EXPECT_TRUE(disk->shortcut().isEmpty());
    EXPECT_EQ(f.measure(), SizeMeasure::Apparent);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(items[i]->isCheckable());
}

// Sizes as the list shows them, by path.
static std::map<QByteArray, QString> ShownSizes(const ResultList &list)
{
    std::map<QByteArray, QString> shown;
    for (int row = 1; row < list.rowCount(); ++row)
        shown[list.rowPath(row)] = list.rowText(row, 3);
    return shown;
}

TEST_F(Form1Fixture, TheSwitchChangesTheMeasureOfTheNextScanOnly)
{
    fs.at("/data/a").onDisk = 4096;
    fs.at("/data/b").onDisk = 8192;
    fs.at("/data/c").onDisk = 0;
    Form1 &f = form();
    f.startOrStopScan();
    const std::map<QByteArray, QString> apparent = ShownSizes(*f.resultList());
    EXPECT_EQ(apparent.at("/data/a"), SizeText(ByteCount::fromBytes(1000)));
    EXPECT_EQ(apparent.at("/data/b"), SizeText(ByteCount::fromBytes(250)));
    EXPECT_TRUE(fs.diskUsageCalls.empty());

    // Ticking it neither scans nor changes the list shown.
    QAction *disk = f.findChild<QAction *>(u"m_disk_usage"_qs);
    disk->trigger();
    EXPECT_TRUE(disk->isChecked());
    EXPECT_EQ(f.measure(), SizeMeasure::OnDisk);
    EXPECT_EQ(scans(), 1);
    EXPECT_EQ(ShownSizes(*f.resultList()), apparent);

    fs.sizeCalls.clear();
    f.startOrStopScan();
    EXPECT_TRUE(fs.sizeCalls.empty());
    EXPECT_EQ(fs.diskUsageCalls, (std::vector<QByteArray>{"/data/a", "/data/b", "/data/c"}));
    const std::map<QByteArray, QString> onDisk = ShownSizes(*f.resultList());
    EXPECT_EQ(onDisk.at("/data/a"), SizeText(ByteCount::fromBytes(4096)));
    EXPECT_EQ(onDisk.at("/data/b"), SizeText(ByteCount::fromBytes(8192)));
    EXPECT_EQ(onDisk.at("/data/c"), SizeText(ByteCount()));
    // The bars follow the largest of the measure shown.
    EXPECT_GT(f.resultList()->rowText(2, 2).size(), f.resultList()->rowText(1, 2).size());

    // Unticked in the middle of a scan: that scan keeps its measure to the end.
    fs.diskUsageCalls.clear();
    yield.count = 0;
    yield.hook = [&](int n) {
        if (n == 1)
            disk->trigger();
    };
    f.startOrStopScan();
    yield.hook = nullptr;
    EXPECT_FALSE(disk->isChecked());
    EXPECT_EQ(fs.diskUsageCalls.size(), 3u);
    EXPECT_TRUE(fs.sizeCalls.empty());
    EXPECT_EQ(ShownSizes(*f.resultList()), onDisk);

    f.startOrStopScan();
    EXPECT_EQ(fs.sizeCalls.size(), 3u);
    EXPECT_EQ(ShownSizes(*f.resultList()), apparent);
}
