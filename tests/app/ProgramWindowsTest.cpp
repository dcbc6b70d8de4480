#include "app/ProgramWindows.h"
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "drives/VolumeQuery.h"
#include "drives/frmSplash.h"
#include "dupes/Form2.h"
#include "scan/ResultList.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "support/QuitWatch.h"
#include "widgets/DirListBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

// Every drive answers at once with the same counts.
class FixedVolumes : public VolumeQuery
{
  public:
    std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) override
    {
        std::vector<VolumeInfo> out(drives.size());
        for (VolumeInfo &v : out) {
            v.totalBytes = 1000;
            v.freeBytes = v.availableBytes = 400;
            v.answered = true;
        }
        return out;
    }
};

struct ProgramFixture : ::testing::Test {
    ProgramFixture()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        mounts.add("/");
        const WindowServices services{fs, mounts, shell, boxes, yield};
        form = std::make_unique<Form1>(services, QByteArray("/data"));
        windows = std::make_unique<ProgramWindows>(*form, services, PrintServices{}, &volumes);
        form->show();
    }
    ~ProgramFixture() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != form.get())
                w->close();
        QCoreApplication::processEvents();
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    QAction *child(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }
    template <typename T> int visibleTopLevels()
    {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<T *>(w) && w->isVisible())
                ++n;
        return n;
    }

    FakeFileSystem fs;
    FakeMountTable mounts;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    ScriptedYield yield;
    FixedVolumes volumes;
    std::unique_ptr<Form1> form;
    std::unique_ptr<ProgramWindows> windows;
};

} // namespace

TEST_F(ProgramFixture, F1AndCtrlF1ShowOneAboutWindowShiftF1OpensHelpInstead)
{
    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    frmAbout *first = windows->about();
    ASSERT_NE(first, nullptr);
    QTest::keyRelease(form->resultList(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(windows->about(), first);
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);

    QTest::keyRelease(form->resultList(), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(shell.opened[0].endsWith("/help.chm"));
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);
}

TEST_F(ProgramFixture, F4ShowsTheDuplicateFinderAndClosingTheMainWindowClosesIt)
{
    EXPECT_EQ(windows->duplicateFinder(), nullptr); // made at the first F4
    QTest::keyPress(form->resultList(), Qt::Key_F4);
    Form2 *f2 = windows->duplicateFinder();
    ASSERT_NE(f2, nullptr);
    EXPECT_TRUE(f2->isVisible());
    QTest::keyPress(form->resultList(), Qt::Key_F4);
    EXPECT_EQ(windows->duplicateFinder(), f2);
    EXPECT_EQ(visibleTopLevels<Form2>(), 1);

    form->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(f2->isVisible());
}

TEST_F(ProgramFixture, CtrlQClosesTheMainWindowAndTheDuplicateFinderWithIt)
{
    QTest::keyPress(form->resultList(), Qt::Key_F4);
    Form2 *f2 = windows->duplicateFinder();
    ASSERT_NE(f2, nullptr);
    QTest::keyClick(form->folderList(), Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(f2->isVisible());
}

TEST_F(ProgramFixture, TheAboutWindowTakesTheKeyboardWhenItOpens)
{
    QApplication::setActiveWindow(form.get());
    form->resultList()->setFocus();
    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    QPointer<frmAbout> about = windows->about();
    ASSERT_FALSE(about.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowActive(about.data()));
    auto *ok = about->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    EXPECT_EQ(QApplication::focusWidget(), ok);

    // A key goes where the focus is: Escape closes the window at once.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    flushDeletes();
    EXPECT_TRUE(about.isNull());

    // Opened again from the menu, Enter closes it the same way.
    child("m_open_5")->trigger();
    about = windows->about();
    ASSERT_FALSE(about.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowActive(about.data()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    flushDeletes();
    EXPECT_TRUE(about.isNull());
}

TEST_F(ProgramFixture, F2WithAnEmptyListRefusesToPrint)
{
    QTest::keyRelease(form->resultList(), Qt::Key_F2, Qt::AltModifier);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Нет данных для печати!"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Печать"));
}

TEST_F(ProgramFixture, Command2OpensTheDriveOverviewOfTheChosenDrive)
{
    auto *command2 = form->findChild<QPushButton *>(QStringLiteral("Command2"));
    ASSERT_NE(command2, nullptr);
    command2->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleTopLevels<frmSplash>(), 1);
}

TEST_F(ProgramFixture, TheDuplicateFinderIsOneObjectForTheRunAndKeepsItsSizeRange)
{
    QTest::keyPress(form->resultList(), Qt::Key_F4);
    Form2 *f2 = windows->duplicateFinder();
    ASSERT_NE(f2, nullptr);
    auto *from = f2->findChild<QLineEdit *>(QStringLiteral("Text2"));
    ASSERT_NE(from, nullptr);
    f2->findChild<QPushButton *>(QStringLiteral("Command3"))->click();
    from->setText(QStringLiteral("9"));
    f2->findChild<QPushButton *>(QStringLiteral("Command5"))->click(); // "Закрыть" applies the range
    ASSERT_EQ(f2->minSizeValue(), 9.0);

    f2->close();
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_FALSE(f2->isVisible());
    EXPECT_EQ(windows->duplicateFinder(), f2);

    QTest::keyPress(form->resultList(), Qt::Key_F4);
    EXPECT_EQ(windows->duplicateFinder(), f2);
    EXPECT_TRUE(f2->isVisible());
    EXPECT_EQ(visibleTopLevels<Form2>(), 1);
    EXPECT_EQ(f2->minSizeValue(), 9.0);           // the range outlived the closing
    EXPECT_EQ(from->text(), QStringLiteral("0")); // while the fields start afresh

    // The toolbar button and the menu item reach the same window.
    child("Button5")->trigger();
    child("m_open_3")->trigger();
    EXPECT_EQ(windows->duplicateFinder(), f2);
    EXPECT_EQ(visibleTopLevels<Form2>(), 1);
}

TEST_F(ProgramFixture, AboutAfterClosingIsANewWindowEvenBeforeTheOldOneIsDeleted)
{
    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    QPointer<frmAbout> first = windows->about();
    ASSERT_FALSE(first.isNull());
    child("m_open_5")->trigger(); // "О программе..."
    EXPECT_EQ(windows->about(), first.data());
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);

    first->close();
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(windows->about(), nullptr);
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 0);

    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    QPointer<frmAbout> third = windows->about();
    ASSERT_FALSE(third.isNull());
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);
    EXPECT_EQ(third->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 3.0.0"));

    // F1 right after OK, before the closed window is deleted: a new one shows.
    third->close();
    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    QPointer<frmAbout> fourth = windows->about();
    flushDeletes();
    EXPECT_TRUE(third.isNull());
    ASSERT_FALSE(fourth.isNull());
    EXPECT_TRUE(fourth->isVisible());
    EXPECT_EQ(windows->about(), fourth.data());
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);

    // Escape closes and deletes it; the owner lets go of it.
    QTest::keyClick(fourth.data(), Qt::Key_Escape);
    flushDeletes();
    EXPECT_TRUE(fourth.isNull());
    EXPECT_EQ(windows->about(), nullptr);
}

TEST_F(ProgramFixture, ASecondDriveOverviewClosesTheFirst)
{
    auto *command2 = form->findChild<QPushButton *>(QStringLiteral("Command2"));
    command2->click();
    QPointer<frmSplash> first = windows->driveOverview();
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->isVisible());
    ASSERT_EQ(first->drives().size(), 1u);

    command2->click();
    QPointer<frmSplash> second = windows->driveOverview();
    EXPECT_TRUE(first.isNull()); // closed and deleted at once, not later
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(second->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleTopLevels<frmSplash>(), 1);

    // Closed by itself, it is gone and the next opening makes a new one.
    second->close();
    flushDeletes();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(windows->driveOverview(), nullptr);
    command2->click();
    EXPECT_NE(windows->driveOverview(), nullptr);
}

namespace
{

} // namespace

TEST_F(ProgramFixture, AnOpenAboutWindowOutlivesTheMainWindowAndKeepsTheProgramRunning)
{
    vs::test::QuitWatch watch;
    qApp->installEventFilter(&watch);
    QTest::keyRelease(form->resultList(), Qt::Key_F1);
    QTest::keyPress(form->resultList(), Qt::Key_F4);
    QPointer<frmAbout> about = windows->about();
    ASSERT_FALSE(about.isNull());
    int stage = 0;
    bool quitWhileAboutOpen = true;
    bool aboutOpenAfterMainWindow = false;
    QTimer::singleShot(0, form.get(), [&] {
        form->close();
        stage = 1;
        // Posted after any quit that closing the main window caused.
        QTimer::singleShot(0, [&] {
            stage = 2;
            quitWhileAboutOpen = watch.seen;
            aboutOpenAfterMainWindow = about && about->isVisible();
            EXPECT_FALSE(windows->duplicateFinder()->isVisible()); // it went with the main window
            if (about)
                about->close();
        });
    });
    QTimer::singleShot(20000, [] { QApplication::exit(2); }); // never hang the run
    const int rc = QApplication::exec();
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(stage, 2);
    EXPECT_TRUE(aboutOpenAfterMainWindow);
    EXPECT_FALSE(quitWhileAboutOpen);
    EXPECT_TRUE(watch.seen) << "closing the About window as the last window ends the program";
    EXPECT_EQ(rc, 0);
}
