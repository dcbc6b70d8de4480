#include "support/FakeMountTable.h"
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "app/ProgramWindows.h"
#include "drives/frmSplash.h"
#include "dupes/Form2.h"
#include "scan/ResultList.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace {

struct ProgramFixture : ::testing::Test {
    ProgramFixture()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        mounts.add("/");
        form = std::make_unique<Form1>(fs, mounts, shell, boxes, yield, QByteArray("/data"));
        windows = std::make_unique<ProgramWindows>(
            *form, ProgramWindows::Services{fs, mounts, shell, boxes, yield, {}});
        form->show();
    }
    ~ProgramFixture() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != form.get())
                w->close();
        QCoreApplication::processEvents();
    }
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
    std::unique_ptr<Form1> form;
    std::unique_ptr<ProgramWindows> windows;
};

} // namespace

TEST_F(ProgramFixture, F1AndCtrlF1ShowOneAboutWindowShiftF1OpensHelpInstead)
{
    QTest::keyRelease(form->listView1(), Qt::Key_F1);
    frmAbout *first = frmAbout::instance();
    ASSERT_NE(first, nullptr);
    QTest::keyRelease(form->listView1(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(frmAbout::instance(), first);
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);

    QTest::keyRelease(form->listView1(), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(shell.opened[0].endsWith("/help.chm"));
    EXPECT_EQ(visibleTopLevels<frmAbout>(), 1);
}

TEST_F(ProgramFixture, F4ShowsTheDuplicateFinderAndClosingTheMainWindowClosesIt)
{
    QTest::keyPress(form->listView1(), Qt::Key_F4);
    Form2 *f2 = windows->duplicateFinder();
    ASSERT_NE(f2, nullptr);
    EXPECT_TRUE(f2->isVisible());
    QTest::keyPress(form->listView1(), Qt::Key_F4);
    EXPECT_EQ(windows->duplicateFinder(), f2);
    EXPECT_EQ(visibleTopLevels<Form2>(), 1);

    form->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(f2->isVisible());
}

TEST_F(ProgramFixture, F2WithAnEmptyListRefusesToPrint)
{
    QTest::keyRelease(form->listView1(), Qt::Key_F2, Qt::AltModifier);
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
