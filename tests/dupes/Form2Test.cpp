// The duplicate finder window driven as a user drives it, with the real
// engine over real temporary trees. Clicks "during" a search are made from
// the yield hook, which runs inside the search exactly where the event loop
// would deliver them.
#include "dupes/Form2.h"
#include "dupes/Hourglass.h"
#include "dupes/SizeRange.h"
#include "dupes/StatusPanel.h"
#include "dupes/engine/FileChecksum.h"
#include "fs/LinuxFileSystem.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "support/TempTree.h"
#include "util/Errors.h"
#include "util/Services.h"
#include "widgets/FolderChooser.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

using namespace vs;
using namespace vs::test;

namespace
{

const QColor kCyan = BgrColor(0xFFFF00);
const QColor kYellow = BgrColor(0x00FFFF);

struct Row {
    QString path;
    QString size;
    QString crc;
    QColor colour;
    QString toolTip;
};

class Form2Test : public ::testing::Test
{
  protected:
    Form2Test()
    {
        mounts.add("/");
        Form2Extras extras;
        extras.openFileDialog = [this](QWidget *, const QString &current) {
            dialogCurrent = current;
            return dialogAnswer;
        };
        extras.clock = [this] { return clockReadings.empty() ? 0.0 : takeReading(); };
        extras.ask = [this](QWidget *, const QString &text, const QString &title) {
            asked.push_back(title + QLatin1Char('|') + text);
            return askAnswer;
        };
        extras.saveFileDialog = [this](QWidget *) { return saveAnswer; };
        extras.folderDialog = [this](QWidget *) { return folderAnswer; };
        savedDataHome = qgetenv("XDG_DATA_HOME");
        form =
            std::make_unique<Form2>(WindowServices{DefaultFileSystem(), mounts, shell, boxes, yield}, extras);
        form->show();
        dir1()->openAt(tree.root());
    }

    ~Form2Test() override { qputenv("XDG_DATA_HOME", savedDataHome); }

    // A home trash of the test's own, beside the folder "s" that is scanned.
    void scanWithFakeTrash()
    {
        tree.mkdir("data");
        qputenv("XDG_DATA_HOME", tree.path("data"));
        dir1()->openAt(tree.path("s"));
        button("Command4")->click();
    }
    QTreeWidgetItem *rowOf(const QByteArray &rel) const
    {
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->text(0) == path(rel))
                return list()->topLevelItem(i);
        ADD_FAILURE() << "no row " << rel.constData();
        return nullptr;
    }
    bool exists(const QByteArray &rel) const { return QFileInfo::exists(path(rel)); }

    double takeReading()
    {
        const double v = clockReadings.front();
        clockReadings.erase(clockReadings.begin());
        return v;
    }

    template <class T> T *child(const char *name) const
    {
        T *w = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    FolderChooser *dir1() const { return dynamic_cast<FolderChooser *>(child<QWidget>("Dir1")); }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QTreeWidget *list() const { return child<QTreeWidget>("ListView1"); }
    QString panel(int n) const
    {
        return child<StatusPanel>(QStringLiteral("Panel%1").arg(n).toLatin1())->text();
    }
    QImage panelPicture(int n) const
    {
        return child<StatusPanel>(QStringLiteral("Panel%1").arg(n).toLatin1())->picture().toImage();
    }
    QString path(const QByteArray &rel) const { return QString::fromUtf8(tree.path(rel)); }

    std::vector<Row> rows() const
    {
        std::vector<Row> out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            QTreeWidgetItem *it = list()->topLevelItem(i);
            EXPECT_EQ(it->foreground(0).color(), it->foreground(1).color());
            EXPECT_EQ(it->foreground(0).color(), it->foreground(2).color());
            out.push_back({it->text(0), it->text(1), it->text(2), it->foreground(0).color(), it->toolTip(0)});
        }
        return out;
    }

    // Enabled state and caption of the four buttons and the timer, as one text.
    QString states() const
    {
        QString s;
        for (const char *b : {"Command1", "Command2", "Command3", "Command4"})
            s += QStringLiteral("%1:%2:%3 ")
                     .arg(QLatin1String(b), button(b)->text(),
                          button(b)->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
        s += child<QTimer>("Timer1")->isActive() ? QStringLiteral("timer") : QStringLiteral("-");
        return s;
    }

    void chooseByDialog(const QByteArray &rel)
    {
        dialogAnswer = path(rel);
        button("Command1")->click();
    }

    void setRange(const QString &from, const QString &to, int unit, bool upper)
    {
        button("Command3")->click();
        child<QRadioButton>(QStringLiteral("Option1_%1").arg(unit).toLatin1())->click();
        child<QLineEdit>("Text2")->setText(from);
        child<QLineEdit>("Text3")->setText(to);
        if (child<QCheckBox>("Check1")->isChecked() != upper)
            child<QCheckBox>("Check1")->click();
        button("Command5")->click();
    }

    TempTree tree;
    FakeMountTable mounts;
    RecordingShell shell;
    RecordingMessageBoxes boxes;
    ScriptedYield yield;
    QString dialogAnswer;
    QString dialogCurrent;
    std::vector<double> clockReadings;
    std::vector<QString> asked; // title|text of every question
    bool askAnswer = true;
    QString saveAnswer, folderAnswer;
    QByteArray savedDataHome;
    std::unique_ptr<Form2> form;
};

const QString kIdle =
    QStringLiteral("Command1:...:on Command2:Искать:on Command3:...:on Command4:Сканировать:on -");
const QString kTreeScan =
    QStringLiteral("Command1:...:off Command2:Искать:off Command3:...:off Command4:Отмена:on timer");
const QString kOneFile =
    QStringLiteral("Command1:...:off Command2:Отмена:on Command3:...:on Command4:Сканировать:off -");

} // namespace

TEST_F(Form2Test, OpensWithTheControlsOfTheDesign)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Дубликтор файлов"));
    EXPECT_EQ(form->size(), QSize(Px(11325), Px(5940)));
    EXPECT_EQ(child<QLineEdit>("Text1")->geometry(), TwRect(75, 255, 10785, 300));
    EXPECT_EQ(button("Command1")->geometry(), TwRect(10905, 255, 345, 300));
    EXPECT_EQ(button("Command2")->geometry(), TwRect(9390, 630, 1860, 360));
    EXPECT_EQ(button("Command4")->geometry(), TwRect(7440, 630, 1860, 360));
    EXPECT_EQ(list()->geometry(), TwRect(2625, 1050, 8625, 4545));
    EXPECT_EQ(child<QWidget>("Dir1")->geometry(), TwRect(75, 1230, 2475, 4365));
    EXPECT_EQ(list()->palette().color(QPalette::Base), QColor(128, 128, 128));
    EXPECT_EQ(child<QWidget>("Dir1")->palette().color(QPalette::Base), QColor(128, 128, 128));
    EXPECT_EQ(list()->headerItem()->text(0), QStringLiteral("Файл"));
    EXPECT_EQ(list()->headerItem()->text(1), QStringLiteral("Размер"));
    EXPECT_EQ(list()->headerItem()->text(2), QStringLiteral("CRC"));
    EXPECT_FALSE(list()->isSortingEnabled());
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("Файл для проверки"));
    EXPECT_EQ(child<QLabel>("Label4")->text(), QStringLiteral("Контрольная сумма:"));
    EXPECT_EQ(child<QLabel>("Label5")->text(), QStringLiteral("0"));
    EXPECT_EQ(child<QLabel>("Label6")->text(), QStringLiteral("Список дубликатов:"));
    EXPECT_EQ(states(), kIdle);
    EXPECT_EQ(child<QTimer>("Timer1")->interval(), 70);

    EXPECT_EQ(panel(1), QString::fromUtf8(tree.root())); // follows Dir1
    EXPECT_EQ(panel(2), QStringLiteral("Время сканирования"));
    EXPECT_EQ(panel(3), QStringLiteral("Дубликатов"));

    auto *frame = child<QGroupBox>("Frame1");
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(frame->title(), QStringLiteral("Настройка сканирования"));
    EXPECT_EQ(frame->geometry(), TwRect(3840, 1455, 4185, 2475));
    EXPECT_TRUE(child<QRadioButton>("Option1_0")->isChecked());
    EXPECT_EQ(child<QRadioButton>("Option1_3")->text(), QStringLiteral("Гбайт"));
    EXPECT_FALSE(child<QLineEdit>("Text3")->isEnabled());
    EXPECT_FALSE(child<QLabel>("Label7")->isEnabled());
    EXPECT_EQ(button("Command5")->toolTip(),
              QStringLiteral("Настройки сохраняться только после закрытия окна настроек!"));

    QStringList menu;
    for (QAction *a : child<QMenu>("m_mnu")->actions())
        menu << a->text();
    // The three row commands first; the actions on the list after a separator.
    EXPECT_EQ(menu.mid(0, 3),
              (QStringList{QStringLiteral("Открыть файл\tF3"), QStringLiteral("Открыть каталог...\tF4"),
                           QStringLiteral("Копировать ссылку\tF5")}));
    EXPECT_TRUE(child<QMenu>("m_mnu")->actions().at(3)->isSeparator());
    EXPECT_EQ(menu.mid(4),
              (QStringList{QStringLiteral("Выделить лишние копии"), QStringLiteral("Снять выделение"),
                           QStringLiteral("Переместить в корзину...\tDelete"),
                           QStringLiteral("Сохранить список...\tCtrl+S")}));
    QStringList rules;
    for (QAction *a : child<QMenu>("m_select")->actions())
        rules << a->text();
    EXPECT_EQ(
        rules,
        (QStringList{QStringLiteral("оставить первую в группе"), QStringLiteral("оставить самую старую"),
                     QStringLiteral("оставить самую новую"), QStringLiteral("оставить копии в папке...")}));
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 0 байт"));

    // Focus order.
    QStringList order;
    QWidget *w = child<QWidget>("Text1");
    for (int i = 0; i < 9; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) ||
               !(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
    }
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("Text1 Drive1 Dir1 Command2 Command1 ListView1 Command4 Command3 Option1_0"));
}

TEST_F(Form2Test, TreeScanListsGroupsInAlternatingColoursWithTheFinishedTexts)
{
    tree.file("a/x1", 100, 'a');
    tree.file("b/x2", 100, 'a');
    tree.file("c1", 200, 'b');
    tree.file("d/c2", 200, 'b');
    tree.file("d/e/c3", 200, 'b');
    tree.file("s1", 300, 'c'); // same size, other contents
    tree.file("s2", 300, 'd');
    tree.file("single", 50, 'z');
    tree.file("empty1", 0);
    tree.file("empty2", 0);
    clockReadings = {100.0, 102.25};

    QString during;
    yield.hook = [&](int n) {
        if (n == 1)
            during = states() + QLatin1Char('|') + panel(2) + QLatin1Char('|') + panel(3);
    };
    button("Command4")->click();

    EXPECT_EQ(during, kTreeScan + QStringLiteral("|Сканирование каталогов...|Поиск..."));
    const auto r = rows();
    ASSERT_EQ(r.size(), 5u);
    std::set<QString> first, second;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(r[i].colour, kCyan);
        EXPECT_EQ(r[i].size, QStringLiteral("0,1 Кбайт"));
        EXPECT_EQ(r[i].crc, QString::number(FileChecksum(QFile::encodeName(r[i].path))));
        first.insert(r[i].path);
    }
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(r[i].colour, kYellow);
        EXPECT_EQ(r[i].size, QStringLiteral("0,2 Кбайт"));
        second.insert(r[i].path);
    }
    EXPECT_EQ(first, (std::set<QString>{path("a/x1"), path("b/x2")}));
    EXPECT_EQ(second, (std::set<QString>{path("c1"), path("d/c2"), path("d/e/c3")}));
    EXPECT_EQ(panel(2), QStringLiteral("2,25сек."));
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 5"));
    EXPECT_EQ(panelPicture(2), HourglassPicture(kHourglassDoneFrame).toImage());
    EXPECT_EQ(states(), kIdle);
    EXPECT_FALSE(form->search().running());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Form2Test, TreeScanWithoutGroupsShowsZero)
{
    // Nothing collected: no sorting stage and no finished picture.
    tree.file("empty", 0);
    tree.file("empty2", 0);
    clockReadings = {5.0, 5.5, 7.0, 7.0};
    button("Command4")->click();
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(panel(2), QStringLiteral("0,5сек."));
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 0"));
    EXPECT_TRUE(panelPicture(2).isNull());

    // One file collected: sorted and grouped, still nothing to list.
    tree.file("only", 10);
    button("Command4")->click();
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(panel(2), QStringLiteral("0сек."));
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 0"));
    EXPECT_EQ(panelPicture(2), HourglassPicture(kHourglassDoneFrame).toImage());
}

TEST_F(Form2Test, StopDuringTheWalkListsTheGroupsCollectedSoFar)
{
    // The root's files are handled before any subfolder is walked.
    tree.file("p1", 10, 'p');
    tree.file("p2", 10, 'p');
    tree.file("sub/q1", 20, 'q');
    tree.file("sub/q2", 20, 'q');
    int pressedAt = 0;
    yield.hook = [&](int n) {
        if (!pressedAt && form->search().files().fileCount() == 2) {
            pressedAt = n;
            button("Command4")->click(); // "Отмена"
            EXPECT_EQ(states(), kTreeScan) << "the stop is only a request";
        }
    };
    button("Command4")->click();

    ASSERT_GT(pressedAt, 0);
    EXPECT_LE(yield.count - pressedAt, 8) << "the walk must stop at its next stop check";
    const auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ((std::set<QString>{r[0].path, r[1].path}), (std::set<QString>{path("p1"), path("p2")}));
    EXPECT_EQ(r[0].colour, kCyan);
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 2"));
    EXPECT_EQ(states(), kIdle);
}

TEST_F(Form2Test, ClosingDuringAScanStopsItAndClosesOnceItHasWoundDown)
{
    tree.file("p1", 10, 'p');
    tree.file("p2", 10, 'p');
    tree.file("sub/q1", 20, 'q');
    tree.file("sub/q2", 20, 'q');
    bool visibleAfterRequest = false;
    bool sawStop = false;
    yield.hook = [&](int n) {
        if (n == 2) {
            form->close(); // the one close request
            visibleAfterRequest = form->isVisible();
            sawStop = form->search().stopRequested() && form->search().closePending();
        }
    };
    button("Command4")->click();
    EXPECT_TRUE(visibleAfterRequest);
    EXPECT_TRUE(sawStop);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->search().running());
    EXPECT_EQ(panel(3).left(8), QStringLiteral("Кол-во: "));

    // A later opening starts with fresh controls and no pending close.
    form->showWindow();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->search().closePending());
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(panel(2), QStringLiteral("Время сканирования"));
    EXPECT_EQ(panel(3), QStringLiteral("Дубликатов"));
    EXPECT_EQ(states(), kIdle);
}

TEST_F(Form2Test, OneFileSearchListsTheChosenFileInYellowAndItsCopiesInCyan)
{
    tree.file("orig.bin", 64, 'q');
    tree.file("sub/copy.bin", 64, 'q');
    tree.file("other.bin", 64, 'r');
    tree.file("longer.bin", 65, 'q');
    chooseByDialog("orig.bin");
    const QString sum = QString::number(FileChecksum(tree.path("orig.bin")));
    EXPECT_EQ(form->checksumLine(), sum + QStringLiteral("  Размер: 64 байт"));
    EXPECT_TRUE(child<QLabel>("Label5")->text() == form->checksumLine() ||
                child<QLabel>("Label5")->toolTip() == form->checksumLine());
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), path("orig.bin"));
    EXPECT_EQ(panel(2), QStringLiteral("Обработка выбранного файла..."));
    EXPECT_EQ(child<QLabel>("Label5")->palette().color(QPalette::WindowText), QColor(0, 0, 0));

    clockReadings = {1.0, 1.125};
    QString during;
    yield.hook = [&](int) {
        if (during.isEmpty() && form->search().running())
            during = states() + QLatin1Char('|') + panel(2) + QLatin1Char('|') + panel(3);
    };
    button("Command2")->click();
    EXPECT_EQ(during, kOneFile + QStringLiteral("|Сканирование каталогов...|Поиск..."));

    const auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].path, path("orig.bin")) << "a folder's own files come before its subfolders";
    EXPECT_EQ(r[0].colour, kYellow);
    EXPECT_EQ(r[0].toolTip, QStringLiteral(" <- Один и тот же файл!"));
    EXPECT_EQ(r[1].path, path("sub/copy.bin"));
    EXPECT_EQ(r[1].colour, kCyan);
    EXPECT_EQ(r[1].toolTip, QString());
    for (const Row &row : r) {
        EXPECT_EQ(row.size, QStringLiteral("64 байт"));
        EXPECT_EQ(row.crc, sum);
    }
    EXPECT_EQ(panel(2), QStringLiteral("0,125сек."));
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 2"));
    EXPECT_EQ(panelPicture(2), HourglassPicture(kHourglassDoneFrame).toImage());
    EXPECT_EQ(states(), kIdle);
}

TEST_F(Form2Test, SecondPressOfCancelStopsTheOneFileSearch)
{
    tree.file("a/orig", 8, 'q');
    for (int i = 0; i < 5; ++i)
        tree.file("b" + QByteArray::number(i) + "/copy", 8, 'q');
    chooseByDialog("a/orig");
    yield.hook = [&](int n) {
        if (n == 3) {
            button("Command2")->click();
            EXPECT_TRUE(form->search().running()) << "still winding down";
            button("Command2")->click(); // a second press while winding down starts nothing
        }
    };
    button("Command2")->click();
    EXPECT_LT(list()->topLevelItemCount(), 6);
    EXPECT_EQ(states(), kIdle);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Form2Test, TypedPathsAndTheFileDialog)
{
    tree.file("real", 3, 'x');
    tree.file("empty", 0);
    auto *text1 = child<QLineEdit>("Text1");

    // Nothing chosen yet.
    button("Command2")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Необходимо выбрать файл для поиска!"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);

    // Blanks alone: nothing at all.
    text1->setText(QStringLiteral("   "));
    button("Command2")->click();
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(list()->topLevelItemCount(), 0);

    // A path that names nothing.
    text1->setText(QStringLiteral("  ") + path("missing") + QStringLiteral(" "));
    button("Command2")->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, QStringLiteral("Файл не найден:\n") + path("missing"));
    EXPECT_EQ(boxes.boxes[1].icon, MessageBoxes::Icon::Exclamation);
    EXPECT_TRUE(form->chosen().path.isEmpty());
    EXPECT_EQ(states(), kIdle);

    // Cancelling the dialog with nothing chosen leaves nothing chosen, silently.
    dialogAnswer.clear();
    button("Command1")->click();
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(form->chosen().path.isEmpty());

    // A typed path is taken before the search starts.
    text1->setText(path("real"));
    button("Command2")->click();
    EXPECT_EQ(form->chosen().path, tree.path("real"));
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 1"));

    // An empty chosen file turns the checksum line red.
    chooseByDialog("empty");
    EXPECT_EQ(dialogCurrent, path("real"));
    EXPECT_EQ(child<QLabel>("Label4")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(child<QLabel>("Label5")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(form->checksumLine(), QStringLiteral("0  Размер: 0 байт"));
    chooseByDialog("real");
    EXPECT_EQ(child<QLabel>("Label5")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
}

TEST_F(Form2Test, KeysContextMenuAndDoubleClickWorkOnTheSelectedRow)
{
    auto *text1 = child<QLineEdit>("Text1");
    // Empty list: the keys and the menu's items do nothing, the menu still shows.
    QTest::keyRelease(list(), Qt::Key_F3);
    QTest::keyRelease(list(), Qt::Key_F4);
    QTest::keyRelease(text1, Qt::Key_F5);
    child<QMenu>("m_mnu")->actions()[0]->trigger();
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(text1->text(), QString());
    QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(child<QMenu>("m_mnu")->isVisible());
    child<QMenu>("m_mnu")->hide();

    tree.file("dir/orig", 5, 'k');
    tree.file("copy", 5, 'k');
    chooseByDialog("dir/orig");
    button("Command2")->click();
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    text1->clear();

    list()->setCurrentItem(list()->topLevelItem(1)); // dir/orig: the subfolder comes second
    const QByteArray rowPath = QFile::encodeName(list()->topLevelItem(1)->text(0));
    QTest::keyRelease(text1, Qt::Key_F3); // whatever control has the focus
    QTest::keyRelease(list(), Qt::Key_F4);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], rowPath);
    EXPECT_EQ(shell.opened[1], tree.path("dir/"));
    QTest::keyPress(list(), Qt::Key_F5);
    EXPECT_EQ(text1->text(), QString()) << "keys act when released";
    QTest::keyRelease(list(), Qt::Key_F5);
    EXPECT_EQ(text1->text(), QString::fromUtf8(rowPath));

    text1->clear();
    child<QMenu>("m_mnu")->actions()[2]->trigger();
    EXPECT_EQ(text1->text(), QString::fromUtf8(rowPath));

    text1->clear();
    QTreeWidgetItem *first = list()->topLevelItem(0);
    const QPoint at = list()->visualItemRect(first).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
    QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(text1->text(), first->text(0));
    EXPECT_EQ(shell.opened.size(), 2u) << "a double click does not open the file";

    EXPECT_EQ(FolderOfPath("/a/b/file.txt"), QByteArray("/a/b/"));
    EXPECT_EQ(FolderOfPath("file.txt"), QByteArray());
}

TEST_F(Form2Test, SizeFieldsShowBytesAndTakeEffectOnlyOnClose)
{
    button("Command3")->click();
    EXPECT_TRUE(child<QGroupBox>("Frame1")->isVisible());
    auto *text2 = child<QLineEdit>("Text2");
    auto *label9 = child<QLabel>("Label9");
    text2->setText(QStringLiteral("1.5"));
    child<QRadioButton>("Option1_1")->click();
    EXPECT_EQ(label9->text(), QStringLiteral("1536"));
    EXPECT_EQ(label9->geometry().right() + 1, Px(2460)) << "right edge stays put";
    child<QRadioButton>("Option1_2")->click();
    EXPECT_EQ(label9->text(), QStringLiteral("1572864"));
    EXPECT_EQ(label9->geometry().right() + 1, Px(2460));
    EXPECT_EQ(form->minSizeValue(), 0.0) << "nothing applies before Закрыть";
    text2->setText(QStringLiteral("1,5"));
    EXPECT_EQ(label9->text(), QStringLiteral("1048576"));
    text2->setText(QStringLiteral("  7 "));
    EXPECT_EQ(text2->text(), QStringLiteral("7"));
    text2->setText(QString());
    EXPECT_EQ(text2->text(), QStringLiteral("0"));
    EXPECT_EQ(label9->text(), QStringLiteral("0"));

    // The upper bound field follows its check box.
    auto *check1 = child<QCheckBox>("Check1");
    auto *text3 = child<QLineEdit>("Text3");
    const QColor offColour = text3->palette().color(QPalette::Base);
    check1->click();
    EXPECT_TRUE(text3->isEnabled());
    EXPECT_TRUE(child<QLabel>("Label7")->isEnabled());
    EXPECT_NE(text3->palette().color(QPalette::Base), offColour);

    // FROM above TO: the warning, then the swap.
    text2->setText(QStringLiteral("10"));
    text3->setText(QStringLiteral("5"));
    button("Command5")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(
        boxes.boxes[0].text,
        QStringLiteral("Значение в поле <ОТ> больше чем в <ДО>, данные автоматически поменяются местами"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Внимание"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(text2->text(), QStringLiteral("5"));
    EXPECT_EQ(text3->text(), QStringLiteral("10"));
    EXPECT_EQ(form->minSizeValue(), 5.0 * 1048576);
    EXPECT_EQ(form->maxSizeValue(), 10.0 * 1048576);
    EXPECT_EQ(form->search().useMaxSize(), 1);
    EXPECT_FALSE(child<QGroupBox>("Frame1")->isVisible());

    // Equal values and a switched-off upper bound give no message.
    setRange(QStringLiteral("4"), QStringLiteral("4"), 0, true);
    setRange(QStringLiteral("9"), QStringLiteral("2"), 0, false);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(9));
    EXPECT_EQ(form->search().useMaxSize(), 0);
}

TEST_F(Form2Test, ABoundInExponentFormIsRefusedAndTheRangeKept)
{
    setRange(QStringLiteral("2"), QStringLiteral("0"), 1, false);
    ASSERT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(2048));

    setRange(QStringLiteral("1000000"), QStringLiteral("0"), 3, false);
    EXPECT_EQ(child<QLabel>("Label9")->text(), QStringLiteral("1,073741824E+15"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, RangeTooLargeText(false));
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("<ОТ>")));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Внимание"));
    EXPECT_TRUE(child<QGroupBox>("Frame1")->isVisible()) << "the panel stays open for a correction";
    EXPECT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(2048));
    EXPECT_EQ(form->search().useMaxSize(), 0);

    // Just past the largest size, without exponent form.
    child<QRadioButton>("Option1_0")->click();
    child<QLineEdit>("Text2")->setText(QStringLiteral("922337203685478"));
    button("Command5")->click();
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(2048));

    // An upper bound too large is refused only while it is in force.
    setRange(QStringLiteral("1"), QStringLiteral("1000000"), 3, true);
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[2].text, RangeTooLargeText(true));
    EXPECT_EQ(form->search().useMaxSize(), 0);
    child<QCheckBox>("Check1")->click();
    button("Command5")->click();
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(1073741824));
}

TEST_F(Form2Test, TheRangeSteersTheTreeScan)
{
    tree.file("small1", 100, 'a');
    tree.file("small2", 100, 'a');
    tree.file("mid1", 2000, 'b');
    tree.file("mid2", 2000, 'b');
    tree.file("big1", 5000, 'c');
    tree.file("big2", 5000, 'c');
    tree.file("none1", 0);
    tree.file("none2", 0);
    auto scanned = [&] {
        button("Command4")->click();
        std::set<QString> sizes;
        for (const Row &r : rows())
            sizes.insert(r.size);
        return sizes;
    };
    // An open panel does not count.
    button("Command3")->click();
    child<QLineEdit>("Text2")->setText(QStringLiteral("1000"));
    EXPECT_EQ(scanned().size(), 3u);
    button("Command5")->click();
    EXPECT_EQ(scanned(), (std::set<QString>{QStringLiteral("2 Кбайт"), QStringLiteral("4,9 Кбайт")}));
    setRange(QStringLiteral("100"), QStringLiteral("2000"), 0, true); // both ends included
    EXPECT_EQ(scanned(), (std::set<QString>{QStringLiteral("0,1 Кбайт"), QStringLiteral("2 Кбайт")}));
    setRange(QStringLiteral("-1"), QStringLiteral("0"), 0, false); // "size > -1": empty files too
    EXPECT_EQ(scanned().count(QStringLiteral("0 байт")), 1u);
}

TEST_F(Form2Test, RangeAndAnimationSurviveReopeningWhileTheControlsStartAfresh)
{
    setRange(QStringLiteral("3"), QStringLiteral("8"), 1, true);
    for (int i = 0; i < 3; ++i)
        form->advanceHourglass();
    EXPECT_EQ(form->animFrame(), 3);
    EXPECT_EQ(panelPicture(2), HourglassPicture(3).toImage());
    child<QLineEdit>("Text1")->setText(QStringLiteral("typed"));
    form->close();
    EXPECT_FALSE(form->isVisible());
    form->showWindow();

    EXPECT_EQ(form->search().minSizeBytes(), ByteCount::fromBytes(3072));
    EXPECT_EQ(form->search().maxSizeBytes(), ByteCount::fromBytes(8192));
    EXPECT_EQ(form->search().useMaxSize(), 1);
    EXPECT_EQ(form->animFrame(), 3);
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QString());
    EXPECT_EQ(child<QLineEdit>("Text2")->text(), QStringLiteral("0"));
    EXPECT_EQ(child<QLineEdit>("Text3")->text(), QStringLiteral("0"));
    EXPECT_TRUE(child<QRadioButton>("Option1_0")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("Check1")->isChecked());
    EXPECT_TRUE(panelPicture(2).isNull());

    for (int i = 0; i < 14; ++i)
        form->advanceHourglass();
    EXPECT_EQ(form->animFrame(), 17);
    form->advanceHourglass();
    EXPECT_EQ(form->animFrame(), 1);
}

TEST_F(Form2Test, ResizingFollowsTheWidthAndStopsAtTheMinimum)
{
    form->resize(form->width() + 200, form->height() + 100);
    const int W = form->width();
    EXPECT_EQ(button("Command2")->geometry().right() + 1, W - Px(250 - 175));
    EXPECT_EQ(button("Command1")->geometry().right() + 1, W - Px(250 - 175));
    EXPECT_EQ(button("Command4")->geometry().right() + 1, button("Command2")->x() - Px(90));
    EXPECT_EQ(button("Command3")->geometry().right() + 1, button("Command4")->x() - Px(90));
    EXPECT_EQ(button("Command2")->y(), Px(630));
    EXPECT_EQ(list()->geometry().right() + 1, W - Px(250 - 175));
    EXPECT_EQ(child<QLineEdit>("Text1")->width(), Px(Tw(W) + 175 - 640 - 75));
    EXPECT_EQ(list()->height(), Px(Tw(form->height()) + 465 - 1050 - 810));
    EXPECT_EQ(child<QWidget>("Dir1")->height(), Px(Tw(form->height()) + 465 - 1230 - 810));
    EXPECT_EQ(child<QWidget>("Dir1")->width(), Px(2475));
    EXPECT_EQ(child<QWidget>("Drive1")->geometry(), TwRect(90, 795, 2475, 315));
    const double lw = Tw(list()->width());
    EXPECT_NEAR(list()->columnWidth(0), lw * 0.67 / 15, 1.0);
    EXPECT_NEAR(list()->columnWidth(1), lw * 0.16 / 15, 1.0);
    EXPECT_NEAR(list()->columnWidth(2), lw * 0.16 / 15, 1.0);

    form->resize(10, 10);
    EXPECT_EQ(form->width(), Px(7500 - 175));
    EXPECT_EQ(form->height(), Px(4405 - 465));
}

TEST_F(Form2Test, ADriveWithoutMediumIsReportedAndTheListsGoBack)
{
    mounts.add("/media/cdrom");
    mounts.failures["/media/cdrom"] = kErrDeviceUnavailable;
    form->close();
    form->showWindow();
    dir1()->openAt(tree.root());
    auto *drive1 = child<QComboBox>("Drive1");
    ASSERT_EQ(drive1->count(), 2);
    ASSERT_EQ(form->lastDriveIndex(), 0);

    drive1->setCurrentIndex(1);
    emit drive1->activated(1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Диск '/media/cdrom' пуст. Вставте диск, а потом повторите попытку."));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Список дисков"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);
    EXPECT_EQ(drive1->currentIndex(), 0);
    EXPECT_EQ(form->lastDriveIndex(), 0);
    EXPECT_EQ(dir1()->openFolder(), tree.root());
    EXPECT_EQ(panel(1), QString::fromUtf8(tree.root()));

    // A drive that is ready: the folder list moves there and panel 1 follows.
    mounts.failures.clear();
    drive1->setCurrentIndex(1);
    emit drive1->activated(1);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(form->lastDriveIndex(), 1);
    EXPECT_EQ(panel(1), QString::fromUtf8(dir1()->highlightedFolder()));
}

TEST_F(Form2Test, WithTheRealEventLoopAQueuedCancelStopsTheScan)
{
    tree.file("p1", 10, 'p');
    tree.file("p2", 10, 'p');
    tree.file("sub/q1", 20, 'q');
    Form2 real(WindowServices{DefaultFileSystem(), mounts, shell, boxes, DefaultYield()});
    real.show();
    dynamic_cast<FolderChooser *>(real.findChild<QWidget *>(QStringLiteral("Dir1")))->openAt(tree.root());
    auto *command4 = real.findChild<QPushButton *>(QStringLiteral("Command4"));
    // Delivered at the scan's first yield, as a click would be.
    QMetaObject::invokeMethod(command4, &QPushButton::click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&real, &QWidget::close, Qt::QueuedConnection);
    command4->click();
    EXPECT_FALSE(real.search().running());
    EXPECT_FALSE(real.isVisible());
    EXPECT_EQ(command4->text(), QStringLiteral("Сканировать"));
    EXPECT_EQ(real.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(), 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

// From the selection through the confirmation to the summary, as a user goes:
// the folder rule, the Delete key, the answer, the box, the list after it.
TEST_F(Form2Test, ExtraCopiesGoToTheTrashAfterOneConfirmationAndLeaveTheList)
{
    tree.file("s/keep/p1", 300, 'p');
    tree.hardlink("s/keep/p1", "s/keep/p1-link");
    tree.file("s/p2", 300, 'p');
    tree.file("s/p3", 300, 'p');
    tree.file("s/q1", 5000, 'q');
    tree.file("s/q2", 5000, 'q');
    scanWithFakeTrash();
    ASSERT_EQ(list()->topLevelItemCount(), 6);
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 6"));
    // p1 and its link are one file: 2 x 300 + 5000 bytes can go.
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 5,5 Кбайт"));

    // The hard links are marked; the other rows are not.
    EXPECT_EQ(rowOf("s/keep/p1")->toolTip(0), QStringLiteral("жёсткая ссылка: ") + path("s/keep/p1-link"));
    EXPECT_EQ(rowOf("s/keep/p1-link")->toolTip(0), QStringLiteral("жёсткая ссылка: ") + path("s/keep/p1"));
    EXPECT_TRUE(rowOf("s/keep/p1")->font(1).italic());
    EXPECT_FALSE(rowOf("s/keep/p1")->font(0).italic());
    EXPECT_EQ(rowOf("s/p2")->toolTip(0), QString());
    EXPECT_FALSE(rowOf("s/p2")->font(1).italic());

    folderAnswer = path("s/keep");
    child<QAction>("m_keep_3")->trigger();
    std::set<QString> selected;
    for (QTreeWidgetItem *it : list()->selectedItems())
        selected.insert(it->text(0));
    EXPECT_EQ(selected, (std::set<QString>{path("s/p2"), path("s/p3")}));
    EXPECT_EQ(panel(4),
              QStringLiteral("Можно освободить: 5,5 Кбайт, выделено: 0,6 Кбайт; групп без копии в папке: 1"));

    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Delete);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(
        asked[0],
        QStringLiteral("Переместить в корзину|Переместить в корзину файлов: 2?\nОсвободится: 0,6 Кбайт"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Переместить в корзину"));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Перемещено в корзину файлов: 2\nОсвобождено: 0,6 Кбайт"));
    EXPECT_EQ(boxes.boxes[0].icon, MessageBoxes::Icon::Information);

    EXPECT_FALSE(exists("s/p2"));
    EXPECT_FALSE(exists("s/p3"));
    EXPECT_TRUE(exists("data/Trash/files/p2"));
    EXPECT_TRUE(exists("s/keep/p1"));
    // The kept group is p1 with its link; q1/q2 stay untouched.
    EXPECT_EQ(list()->topLevelItemCount(), 4);
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 4"));
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 4,9 Кбайт"));
    const auto r = rows();
    EXPECT_EQ(r[0].colour, kCyan);
    EXPECT_EQ(r[1].colour, kCyan);
    EXPECT_EQ(r[2].colour, kYellow);
    EXPECT_EQ(r[3].colour, kYellow);
    EXPECT_TRUE(list()->selectedItems().isEmpty());

    // A group left with one file leaves the list.
    list()->clearSelection();
    rowOf("s/q2")->setSelected(true);
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(list()->topLevelItemCount(), 2);
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 2"));
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 0 байт"));
}

TEST_F(Form2Test, AWholeGroupIsSkippedAndAFileGoneMeanwhileIsNamedInTheSummary)
{
    tree.file("s/a1", 40, 'a');
    tree.file("s/a2", 40, 'a');
    tree.file("s/b1", 70, 'b');
    tree.file("s/b2", 70, 'b');
    tree.file("s/b3", 70, 'b');
    scanWithFakeTrash();
    ASSERT_EQ(list()->topLevelItemCount(), 5);

    // Every row selected: nothing can move, and no question is asked.
    list()->selectAll();
    child<QAction>("m_trash")->trigger();
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral(
                  "Группы, выделенные целиком, пропускаются (групп: 2, файлов: 5): последняя копия файла "
                  "остаётся на месте.\nПеремещать нечего."));

    // One group whole, two of the other; the answer "no" moves nothing.
    child<QAction>("m_clear")->trigger();
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 0,2 Кбайт"));
    for (const char *n : {"s/a1", "s/a2", "s/b2", "s/b3"})
        rowOf(n)->setSelected(true);
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 0,2 Кбайт, выделено: 0,1 Кбайт"));
    askAnswer = false;
    child<QAction>("m_trash")->trigger();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0],
              QStringLiteral("Переместить в корзину|Переместить в корзину файлов: 2?\nОсвободится: 0,1 Кбайт"
                             "\n\nГруппы, выделенные целиком, пропускаются (групп: 1, файлов: 2): "
                             "последняя копия файла остаётся на месте."));
    EXPECT_TRUE(exists("s/b2"));
    EXPECT_EQ(list()->topLevelItemCount(), 5);

    askAnswer = true;
    ASSERT_EQ(unlink(tree.path("s/b3").constData()), 0);
    child<QAction>("m_trash")->trigger();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text,
              QStringLiteral("Перемещено в корзину файлов: 1\nОсвобождено: 70 байт\nПропущено "
                             "групп, выделенных целиком: 1\n\nОставлены на месте (1):\n") +
                  path("s/b3") + QStringLiteral(" — файл не найден"));
    EXPECT_TRUE(exists("s/a1"));
    EXPECT_TRUE(exists("s/a2"));
    EXPECT_FALSE(exists("s/b2"));
    // b3 is gone from the disk but still listed: it was left alone.
    EXPECT_EQ(list()->topLevelItemCount(), 4);
}

TEST_F(Form2Test, NoSearchWhileFilesMoveAndNoMoveDuringASearch)
{
    tree.file("s/x1", 30, 'x');
    tree.file("s/x2", 30, 'x');
    tree.file("s/x3", 30, 'x');
    scanWithFakeTrash();
    ASSERT_EQ(list()->topLevelItemCount(), 3);
    child<QAction>("m_keep_0")->trigger();

    QString during;
    yield.hook = [&](int) {
        if (!during.isEmpty())
            return;
        during = states() + (form->search().moving() ? QStringLiteral(" moving") : QString());
        button("Command4")->click(); // disabled: nothing happens
        form->startTreeScan();
        form->findCopiesOfChosenFile();
    };
    const int yieldsBefore = yield.count;
    child<QAction>("m_trash")->trigger();
    EXPECT_EQ(yield.count - yieldsBefore, 2) << "one yield before each file";
    EXPECT_EQ(during,
              QStringLiteral(
                  "Command1:...:off Command2:Искать:off Command3:...:off Command4:Сканировать:off - moving"));
    EXPECT_EQ(states(), kIdle);
    EXPECT_EQ(list()->topLevelItemCount(), 0) << "the group of one left; no scan refilled the list";
    EXPECT_EQ(panel(3), QStringLiteral("Кол-во: 0"));

    // During a scan the move, the rules and the save do nothing.
    tree.file("s/y1", 30, 'y');
    tree.file("s/y2", 30, 'y');
    asked.clear();
    saveAnswer = path("never.csv");
    yield.hook = [&](int) {
        form->moveSelectedToTrash();
        form->selectExtraCopies(KeepRule::FirstInGroup);
        form->saveList();
    };
    button("Command4")->click();
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(exists("never.csv"));
    EXPECT_EQ(list()->topLevelItemCount(), 2);
}

TEST_F(Form2Test, CtrlSSavesTheListAsCsvAndSelectionStaysOnTheCurrentRowForRowCommands)
{
    tree.file("s/a,\"b\"", 12, 'c');
    tree.file("s/plain", 12, 'c');
    scanWithFakeTrash();
    ASSERT_EQ(list()->topLevelItemCount(), 2);
    saveAnswer = path("out.csv");
    QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_S, Qt::ControlModifier);
    QFile csv(saveAnswer);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray crc = QByteArray::number(FileChecksum(tree.path("s/plain")));
    QByteArray expected = QByteArray("Группа,Размер,CRC,Файл\r\n");
    for (int i = 0; i < 2; ++i) {
        QByteArray p = QFile::encodeName(list()->topLevelItem(i)->text(0));
        expected +=
            "1,12," + crc + ',' + (p.contains(',') ? '"' + p.replace("\"", "\"\"") + '"' : p) + "\r\n";
    }
    EXPECT_EQ(csv.readAll(), expected);
    EXPECT_TRUE(expected.contains("\"" + tree.path("s/a,\"\"b\"\"") + "\""));

    // Cancelled dialog: nothing written; a folder that is not writable: a box.
    saveAnswer.clear();
    child<QAction>("m_save")->trigger();
    EXPECT_TRUE(boxes.boxes.empty());
    saveAnswer = path("no/such/folder/out.csv");
    child<QAction>("m_save")->trigger();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(
        boxes.boxes[0].text.startsWith(QStringLiteral("Не удалось сохранить список:\n") + saveAnswer));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Сохранить список"));

    // Two rows selected: F3 opens the current one.
    list()->setFocus();
    list()->setCurrentItem(list()->topLevelItem(0));
    QTest::keyClick(list(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(list()->selectedItems().size(), 2);
    QTest::keyRelease(list(), Qt::Key_F3);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], QFile::encodeName(list()->topLevelItem(1)->text(0)));
    EXPECT_EQ(panel(4), QStringLiteral("Можно освободить: 12 байт, выделено: 0 байт"));

    // The menu key opens the row menu from the list.
    QTest::keyClick(list(), Qt::Key_Menu);
    EXPECT_TRUE(child<QMenu>("m_mnu")->isVisible());
    child<QMenu>("m_mnu")->hide();
}

TEST_F(Form2Test, ClosingDuringAMoveStopsBeforeTheNextFileAndThenCloses)
{
    for (const char *n : {"s/m1", "s/m2", "s/m3"})
        tree.file(n, 25, 'm');
    scanWithFakeTrash();
    child<QAction>("m_keep_0")->trigger();
    ASSERT_EQ(list()->selectedItems().size(), 2);
    yield.hook = [&](int) {
        if (form->search().moving() && form->isVisible())
            form->close(); // held back until the move has wound down
    };
    child<QAction>("m_trash")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->search().moving());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Перемещено в корзину файлов: 0\nОсвобождено: 0 байт\nПеремещение прервано."));
    int left = 0;
    for (const char *n : {"s/m1", "s/m2", "s/m3"})
        left += exists(n) ? 1 : 0;
    EXPECT_EQ(left, 3);
}
