#include "widgets/DirListBox.h"
#include "fs/Paths.h"
#include "support/Fakes.h"
#include "util/Errors.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

struct DirFixture : ::testing::Test {
    DirFixture()
    {
        fs.add("/");
        fs.add("/home");
        fs.add("/home/u");
        // Listing order of the file system, not the order shown.
        fs.add("/home/u/zeta");
        fs.add("/home/u/Beta");
        fs.add("/home/u/alpha");
        fs.add("/home/u/\xff\xfe"); // not valid UTF-8
        fs.add("/home/u/alpha/inner");
        fs.add("/home/u/locked").openError = kErrPermission;
        fs.add("/home/u/broken").openError = kErrIo;
    }
    FakeFileSystem fs;
    RecordingMessageBoxes boxes;
    DirListBox dir{fs, boxes};

    std::vector<QString> texts() const
    {
        std::vector<QString> t;
        for (int i = 0; i < dir.count(); ++i)
            t.push_back(dir.item(i)->text());
        return t;
    }
    std::vector<int> depths() const
    {
        std::vector<int> d;
        for (int i = 0; i < dir.count(); ++i)
            d.push_back(dir.entryDepth(i));
        return d;
    }
};

// The double click as the window system delivers it.
void DoubleClick(QWidget *w, QPoint pos)
{
    const QPointF p(pos);
    const QPointF g(w->mapToGlobal(pos));
    const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
    for (QEvent::Type t : types) {
        const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(t, p, g, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

} // namespace

TEST_F(DirFixture, ShowsAncestorsThenTheOpenFolderThenSortedSubfoldersIndented)
{
    dir.openAt("/home/u");
    EXPECT_EQ(dir.objectName(), QStringLiteral("Dir1"));
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u"));
    EXPECT_EQ(dir.openFolderRow(), 2);
    const std::vector<QString> expected = {u"/"_qs,    u"home"_qs,   u"u"_qs,      u"alpha"_qs,
                                           u"Beta"_qs, u"broken"_qs, u"locked"_qs, u"zeta"_qs};
    std::vector<QString> shown = texts();
    // The undecodable name sorts somewhere; take it out to compare the rest.
    ASSERT_EQ(shown.size(), 9u);
    int odd = -1;
    for (int i = 3; i < 9; ++i) {
        if (dir.entryPath(i) == QByteArray("/home/u/\xff\xfe"))
            odd = i;
    }
    ASSERT_GE(odd, 3);
    shown.erase(shown.begin() + odd);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(depths(), (std::vector<int>{0, 1, 2, 3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(dir.entryPath(0), QByteArray("/"));
    EXPECT_EQ(dir.entryPath(1), QByteArray("/home"));
    EXPECT_EQ(dir.entryPath(2), QByteArray("/home/u"));
    EXPECT_EQ(dir.entryPath(3), QByteArray("/home/u/alpha"));
    // The open folder is highlighted and named in the tool tip.
    EXPECT_EQ(dir.currentRow(), 2);
    EXPECT_EQ(dir.highlightedFolder(), QByteArray("/home/u"));
    EXPECT_EQ(dir.toolTip(), u"/home/u"_qs);
    // Grey background.
    EXPECT_EQ(dir.palette().color(QPalette::Base), QColor(0x80, 0x80, 0x80));
}

TEST_F(DirFixture, RootShowsOnlyItselfAndItsSubfolders)
{
    dir.openAt("/home/u/");
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u")); // trailing slash dropped
    dir.openAt("/");
    EXPECT_EQ(texts(), (std::vector<QString>{u"/"_qs, u"home"_qs}));
    EXPECT_EQ(depths(), (std::vector<int>{0, 1}));
    EXPECT_EQ(dir.entryPath(1), QByteArray("/home"));
}

TEST_F(DirFixture, SingleClickHighlightsWithoutOpening)
{
    dir.openAt("/home/u");
    QSignalSpy changed(&dir, &DirListBox::changed);
    QSignalSpy highlighted(&dir, &DirListBox::highlighted);
    dir.show();
    const QRect r = dir.visualItemRect(dir.item(5));
    QTest::mouseClick(dir.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(dir.highlightedFolder(), dir.entryPath(5));
    EXPECT_EQ(dir.toolTip(), DisplayPath(dir.entryPath(5)));
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u"));
    EXPECT_EQ(changed.count(), 0);
    ASSERT_EQ(highlighted.count(), 1);
    EXPECT_EQ(highlighted.at(0).at(0).toByteArray(), dir.entryPath(5));

    // An ancestor can be highlighted too.
    dir.setCurrentRow(0);
    EXPECT_EQ(dir.highlightedFolder(), QByteArray("/"));
    EXPECT_EQ(dir.toolTip(), u"/"_qs);
}

TEST_F(DirFixture, DoubleClickAndEnterOpenAndRaiseTheChange)
{
    dir.openAt("/home/u");
    dir.show();
    QSignalSpy changed(&dir, &DirListBox::changed);
    DoubleClick(dir.viewport(), dir.visualItemRect(dir.item(3)).center());
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u/alpha"));
    EXPECT_EQ(dir.highlightedFolder(), QByteArray("/home/u/alpha"));
    EXPECT_EQ(changed.count(), 1);

    // Up to an ancestor with the keyboard.
    dir.setCurrentRow(1);
    QTest::keyClick(&dir, Qt::Key_Return);
    EXPECT_EQ(dir.openFolder(), QByteArray("/home"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DirFixture, FolderWithoutAccessThrows419AndTheListStays)
{
    dir.openAt("/home/u");
    const int rows = dir.count();
    QSignalSpy changed(&dir, &DirListBox::changed);
    try {
        dir.openAt("/home/u/locked");
        FAIL() << "no error";
    } catch (const VsError &e) {
        EXPECT_EQ(e.number, 419);
    }
    // Other failures keep their own numbers.
    try {
        dir.openAt("/home/u/broken");
        FAIL() << "no error";
    } catch (const VsError &e) {
        EXPECT_EQ(e.number, kErrIo);
    }
    try {
        dir.openAt("/nowhere");
        FAIL() << "no error";
    } catch (const VsError &e) {
        EXPECT_EQ(e.number, kErrPathNotFound);
    }
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u"));
    EXPECT_EQ(dir.count(), rows);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(DirFixture, UserOpeningAFolderWithoutAccessIsTold)
{
    dir.openAt("/home/u");
    for (int i = 0; i < dir.count(); ++i) {
        if (dir.entryPath(i) == QByteArray("/home/u/locked"))
            dir.setCurrentRow(i);
    }
    QTest::keyClick(&dir, Qt::Key_Enter);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, u"Нет доступа к выбранной папке!"_qs);
    EXPECT_EQ(boxes.boxes[0].title, u"Доступ запрещен"_qs);
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u"));

    for (int i = 0; i < dir.count(); ++i) {
        if (dir.entryPath(i) == QByteArray("/home/u/broken"))
            dir.setCurrentRow(i);
    }
    QTest::keyClick(&dir, Qt::Key_Return);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].title, u"Ошибка57"_qs);
    EXPECT_TRUE(boxes.boxes[1].text.startsWith(u"57\n"_qs));
    EXPECT_TRUE(boxes.boxes[1].text.endsWith(u"\nFakeFileSystem"_qs));
}

TEST_F(DirFixture, NamesThatAreNotUtf8OpenByTheirBytes)
{
    dir.openAt("/home/u/\xff\xfe");
    EXPECT_EQ(dir.openFolder(), QByteArray("/home/u/\xff\xfe"));
    EXPECT_EQ(dir.entryPath(3), QByteArray("/home/u/\xff\xfe"));
}
