// Every window of the program as a desktop user meets it, at the scale
// factor ctest runs this test with (1, 1.5 and 2): each control has a name a
// screen reader can say, the main list reads as three columns with the share
// of each folder, no label or status panel cuts its text, and every window
// opens whole on the screen of the main window.
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "app/ProgramWindows.h"
#include "drives/VolumeQuery.h"
#include "drives/frmSplash.h"
#include "dupes/Form2.h"
#include "dupes/StatusPanel.h"
#include "fs/LinuxFileSystem.h"
#include "report/Form4.h"
#include "report/ReportPreview.h"
#include "scan/ResultList.h"
#include "scan/ResultListAccessible.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "support/TempTree.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

// Texts in failure messages as text, not as bytes.
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace
{

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

class FixedVolumes : public VolumeQuery
{
  public:
    std::vector<VolumeInfo> queryAll(const std::vector<DriveEntry> &drives) override
    {
        std::vector<VolumeInfo> out(drives.size());
        for (VolumeInfo &v : out) {
            v.totalBytes = 3'000'000'000;
            v.freeBytes = v.availableBytes = 1'200'000'000;
            v.answered = true;
        }
        return out;
    }
};

// What a person reaches: visible widgets that are not a plain container,
// and not the inner parts of a list (its viewport, header and scroll bars,
// which the list's own table stands for).
std::vector<QWidget *> Controls(QWidget *window)
{
    static const QAccessible::Role kContainers[] = {
        QAccessible::Client, QAccessible::Pane,       QAccessible::Border,    QAccessible::Window,
        QAccessible::Dialog, QAccessible::Whitespace, QAccessible::Separator, QAccessible::ScrollBar};
    std::vector<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // An empty value label has nothing to read yet.
        if (auto *l = qobject_cast<QLabel *>(w);
            l && l->text().isEmpty() && l->pixmap().isNull() && l->accessibleName().isEmpty())
            continue;
        bool insideList = false;
        for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            insideList = insideList || qobject_cast<QAbstractItemView *>(p) ||
                         p->objectName().startsWith(QLatin1String("qt_"));
        if (insideList)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (!iface ||
            std::find(std::begin(kContainers), std::end(kContainers), iface->role()) != std::end(kContainers))
            continue;
        out.push_back(w);
    }
    return out;
}

// "Form2/Command3 (QPushButton)", for the failure messages.
std::string Describe(const QWidget *w)
{
    return (w->window()->objectName() + QLatin1Char('/') + w->objectName() + QStringLiteral(" (") +
            QLatin1String(w->metaObject()->className()) + QLatin1Char(')'))
        .toStdString();
}

void ExpectEveryControlNamed(QWidget *window, int atLeast)
{
    const std::vector<QWidget *> controls = Controls(window);
    EXPECT_GE(int(controls.size()), atLeast) << window->objectName().toStdString();
    for (QWidget *w : controls) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        const QString name = iface->text(QAccessible::Name).trimmed();
        EXPECT_FALSE(name.isEmpty()) << Describe(w);
        if (!w->objectName().isEmpty()) {
            EXPECT_NE(name, w->objectName()) << Describe(w);
        }
    }
}

QString Name(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

QString Description(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description);
}

// Labels show their whole text: a label is at least as wide as its text
// (word-wrapped labels wrap instead).
void ExpectLabelsHoldTheirTexts(QWidget *window)
{
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty() || l->wordWrap() || !l->pixmap().isNull())
            continue;
        const QStringList lines = l->text().split(QLatin1Char('\n'));
        int width = 0;
        for (const QString &line : lines)
            width = std::max(width, l->fontMetrics().horizontalAdvance(line));
        EXPECT_GE(l->contentsRect().width(), width + 2 * l->margin())
            << Describe(l) << " \"" << l->text().toStdString() << '"';
        // One-line labels keep their designed height; more lines need room.
        if (lines.size() > 1) {
            EXPECT_GE(l->contentsRect().height(),
                      int(lines.size()) * l->fontMetrics().height() + 2 * l->margin())
                << Describe(l) << " \"" << l->text().toStdString() << '"';
        }
    }
}

void ExpectOnTheScreen(QWidget *window, QScreen *screen)
{
    const QRect area = screen->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry()))
        << Describe(window) << ": frame " << window->frameGeometry().x() << ',' << window->frameGeometry().y()
        << ' ' << window->frameGeometry().width() << 'x' << window->frameGeometry().height() << " on "
        << area.width() << 'x' << area.height();
}

struct DesktopFixture : ::testing::Test {
    DesktopFixture()
    {
        fs.add("/");
        fs.add("/data");
        fs.add("/data/a", 1000);
        fs.add("/data/b", 370);
        mounts.add("/");
        const WindowServices services{fs, mounts, shell, boxes, yield};
        form = std::make_unique<Form1>(services, QByteArray("/data"));
        windows = std::make_unique<ProgramWindows>(*form, services, PrintServices{}, &volumes);
        form->show();
        form->resultList()->fill(
            {{"/data/a", ByteCount::fromBytes(1000)}, {"/data/b", ByteCount::fromBytes(370)}},
            ByteCount::fromBytes(1000), 2);
    }
    ~DesktopFixture() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != form.get())
                w->close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QScreen *screen() const { return form->screen(); }

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

TEST_F(DesktopFixture, MainWindowControlsHaveNamesForAPerson)
{
    ExpectEveryControlNamed(form.get(), 12);
    auto *button = form->findChild<QPushButton *>(U("Command2"));
    EXPECT_EQ(Name(button), U("Информация о накопителях"));
    EXPECT_FALSE(Description(button).isEmpty());
    EXPECT_EQ(Name(form->findChild<QWidget *>(U("ProgressBar1"))), U("Ход измерения"));
    EXPECT_EQ(Name(form->resultList()), U("Вложенные папки"));
    EXPECT_EQ(Name(form->folderList()), U("Папки"));
    // A combo box reads as its value on Linux; its name is kept beside it.
    EXPECT_EQ(form->driveList()->accessibleName(), U("Диск"));
    for (const char *name : {"Command2", "ProgressBar1", "ListView1", "Dir1", "Drive1"})
        EXPECT_FALSE(Description(form->findChild<QWidget *>(QLatin1String(name))).isEmpty()) << name;
    // The toolbar's buttons read as their captions.
    QStringList captions;
    for (QToolButton *b : form->findChildren<QToolButton *>())
        if (b->isVisibleTo(form.get()) && b->defaultAction())
            captions << Name(b);
    EXPECT_EQ(captions,
              (QStringList{U("Обновить"), U("Открыть..."), U("Печать..."), U("Дубликатор"), U("Помощь")}));
}

TEST_F(DesktopFixture, MainListReadsAsThreeColumnsWithTheShareOfEachFolder)
{
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(form->resultList());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::Table);
    QAccessibleTableInterface *table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->rowCount(), 3); // "\..." and two folders
    EXPECT_EQ(list->childCount(), 12);
    QStringList headers;
    for (int c = 0; c < 3; ++c)
        headers << list->child(c)->text(QAccessible::Name);
    EXPECT_EQ(headers, (QStringList{U("Папка"), U("Процентное соотношение"), U("Размер")}));
    EXPECT_EQ(list->child(0)->role(), QAccessible::ColumnHeader);

    auto rowTexts = [&](int row) {
        QStringList texts;
        for (int c = 0; c < 3; ++c)
            texts << table->cellAt(row, c)->text(QAccessible::Name);
        return texts;
    };
    EXPECT_EQ(rowTexts(0), (QStringList{U("На уровень выше"), QString(), QString()}));
    EXPECT_EQ(rowTexts(1), (QStringList{U("/data/a"), U("100 %"), form->resultList()->rowText(1, 3)}));
    EXPECT_EQ(rowTexts(2), (QStringList{U("/data/b"), U("37 %"), form->resultList()->rowText(2, 3)}));
    // The sort keys are no cells at all, and no cell reads as a bar.
    EXPECT_EQ(table->cellAt(1, 3), nullptr);
    EXPECT_EQ(table->cellAt(1, 4), nullptr);
    for (int i = 0; i < list->childCount(); ++i) {
        const QString text = list->child(i)->text(QAccessible::Name);
        EXPECT_FALSE(text.contains(QLatin1Char('|'))) << i;
        EXPECT_FALSE(text.startsWith(QLatin1String("0370")) || text == QLatin1String("1000")) << i;
        EXPECT_EQ(list->indexOfChild(list->child(i)), i);
        auto *cell = list->child(i)->tableCellInterface();
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ((cell->rowIndex() + 1) * 3 + cell->columnIndex(), i);
    }
    // The tick box of a row is read with the row.
    form->resultList()->setRowChecked(2, true);
    EXPECT_TRUE(table->cellAt(2, 0)->state().checked);
    EXPECT_FALSE(table->cellAt(1, 0)->state().checked);
    EXPECT_TRUE(table->selectRow(2));
    EXPECT_EQ(form->resultList()->selectedRowIndex(), 2);
    EXPECT_EQ(table->selectedRows(), QList<int>{2});

    // A new scan result replaces the cells.
    form->resultList()->fill({{"/data/b", ByteCount::fromBytes(370)}}, ByteCount::fromBytes(370), 1);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(list->childCount(), 9);
    EXPECT_EQ(rowTexts(1), (QStringList{U("/data/b"), U("100 %"), form->resultList()->rowText(1, 3)}));
    EXPECT_EQ(table->cellAt(2, 0), nullptr);
}

TEST_F(DesktopFixture, DuplicateFinderControlsHaveNamesAndTheTwoEllipsisButtonsDiffer)
{
    windows->showDuplicates();
    Form2 *f2 = windows->duplicateFinder();
    ASSERT_NE(f2, nullptr);
    f2->showSettingsPanel();
    ExpectEveryControlNamed(f2, 20);
    auto *browse = f2->findChild<QPushButton *>(U("Command1"));
    auto *settings = f2->findChild<QPushButton *>(U("Command3"));
    EXPECT_EQ(browse->text(), U("..."));
    EXPECT_EQ(settings->text(), U("..."));
    EXPECT_EQ(Name(browse), U("Выбрать файл для проверки"));
    EXPECT_EQ(Name(settings), U("Настройка сканирования"));
    EXPECT_NE(Description(browse), Description(settings));
    EXPECT_EQ(Name(f2->findChild<QWidget *>(U("ListView1"))), U("Список дубликатов"));
}

TEST_F(DesktopFixture, AboutOverviewPrintSetUpAndPreviewHaveNamesForEveryControl)
{
    windows->showAbout();
    ASSERT_NE(windows->about(), nullptr);
    ExpectEveryControlNamed(windows->about(), 10);

    windows->showDriveOverview();
    ASSERT_NE(windows->driveOverview(), nullptr);
    ExpectEveryControlNamed(windows->driveOverview(), 10);
    EXPECT_EQ(Name(windows->driveOverview()->findChild<QWidget *>(U("ListView1"))), U("Накопители"));

    PrintFields fields;
    Form4 setUp(fields, QDate(2007, 12, 4));
    setUp.show();
    ExpectEveryControlNamed(&setUp, 10);
    EXPECT_EQ(Name(setUp.headingBox(1)), U("Заголовок 2"));
    EXPECT_EQ(Name(setUp.copyNameBox()), U("Имя файла"));

    ReportPreview preview;
    preview.show();
    ExpectEveryControlNamed(&preview, 3);
}

TEST_F(DesktopFixture, TextsAreNotClippedAtThisScale)
{
    ExpectLabelsHoldTheirTexts(form.get());

    windows->showAbout();
    ExpectLabelsHoldTheirTexts(windows->about());
    windows->showDriveOverview();
    ExpectLabelsHoldTheirTexts(windows->driveOverview());

    // The print set-up's file name caption keeps clear of its field.
    PrintFields fields;
    Form4 setUp(fields, QDate(2007, 12, 4));
    setUp.show();
    ExpectLabelsHoldTheirTexts(&setUp);
    EXPECT_LT(setUp.caption(3)->geometry().right(), setUp.copyNameBox()->x());
    EXPECT_GE(setUp.caption(3)->x(), 0);
}

TEST_F(DesktopFixture, DuplicateFinderShowsTheChecksumLineAndStatusTextsWhole)
{
    TempTree tree;
    tree.file("chosen.bin", 2970, 'q');
    Form2Extras extras;
    extras.openFileDialog = [&](QWidget *, const QString &) {
        return QString::fromUtf8(tree.path("chosen.bin"));
    };
    Form2 f2(WindowServices{DefaultFileSystem(), mounts, shell, boxes, yield}, extras);
    f2.showWindow();
    f2.chooseFileByDialog();
    ASSERT_TRUE(f2.checksumLine().endsWith(U("  Размер: 2,9 Кбайт"))) << f2.checksumLine().toStdString();
    auto *value = f2.findChild<QLabel *>(U("Label5"));
    // On one line when it fits before the buttons, else the size under the
    // checksum: never shortened.
    EXPECT_EQ(QString(value->text()).replace(QLatin1Char('\n'), U("  ")), f2.checksumLine());
    EXPECT_EQ(Name(value), f2.checksumLine());
    EXPECT_LE(value->geometry().bottom(), f2.findChild<QWidget *>(U("ListView1"))->y());

    ExpectLabelsHoldTheirTexts(&f2);
    // The line stays clear of the buttons.
    for (const char *name : {"Command3", "Command4", "Command2"})
        EXPECT_FALSE(value->geometry().intersects(f2.findChild<QWidget *>(QLatin1String(name))->geometry()))
            << name;

    // The time and count panels grow to every text they show.
    for (const char *name : {"Panel2", "Panel3"}) {
        auto *panel = f2.findChild<StatusPanel *>(QLatin1String(name));
        for (const QString &text :
             {U("Время сканирования"), U("Сканирование каталогов..."), U("Дубликатов")}) {
            panel->setText(text);
            QCoreApplication::processEvents();
            auto *label = panel->findChildren<QLabel *>().last();
            EXPECT_EQ(label->text(), text) << name;
            EXPECT_EQ(Name(label), text) << name;
        }
    }
    // The folder panel shortens a long path on screen, and reads it whole.
    auto *folderPanel = f2.findChild<StatusPanel *>(U("Panel1"));
    const QString longPath = U("/data/") + QString(300, QLatin1Char('x'));
    folderPanel->setText(longPath);
    auto *folderLabel = folderPanel->findChildren<QLabel *>().last();
    EXPECT_NE(folderLabel->text(), longPath);
    EXPECT_EQ(Name(folderLabel), longPath);
}

TEST_F(DesktopFixture, EveryWindowOpensWholeOnTheScreenOfTheMainWindow)
{
    ExpectOnTheScreen(form.get(), screen());
    windows->showDuplicates();
    ExpectOnTheScreen(windows->duplicateFinder(), screen());
    windows->showAbout();
    ExpectOnTheScreen(windows->about(), screen());
    windows->showDriveOverview();
    ExpectOnTheScreen(windows->driveOverview(), screen());

    // The report preview, opened as the print command opens it.
    QTemporaryDir dir;
    QFile page(dir.filePath(U("temp.hta")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>1</p></body></html>");
    page.close();
    OpenReportPreview(page.fileName(), form.get());
    ReportPreview *preview = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w); p && p->isVisible())
            preview = p;
    ASSERT_NE(preview, nullptr);
    ExpectOnTheScreen(preview, screen());
}

TEST_F(DesktopFixture, ListEventsNumberCellsAsTheAccessibleTableDoes)
{
    // The list announces focus and selection by child number; the number of
    // a model index must lead to that row's cell in the three-column table,
    // and a sort-key column has none.
    ResultList *view = form->resultList();
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface *table = list->tableInterface();
    for (int row = 0; row < view->rowCount(); ++row) {
        for (int column = 0; column < ResultList::kColumns; ++column) {
            const QModelIndex index = view->model()->index(row, column);
            const int child = AccessibleChildIndex(index);
            if (column >= 3) {
                EXPECT_EQ(child, -1) << row << ',' << column;
                continue;
            }
            ASSERT_GE(child, 0);
            EXPECT_EQ(list->child(child), table->cellAt(row, column)) << row << ',' << column;
        }
    }
    EXPECT_EQ(AccessibleChildIndex(QModelIndex()), -1);
}
