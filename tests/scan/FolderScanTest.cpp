#include "ScanTestSupport.h"

#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

using Icon = MessageBoxes::Icon;

std::vector<QByteArray> Paths(const QByteArray &parent, std::initializer_list<int> numbers)
{
    std::vector<QByteArray> out;
    for (int i : numbers)
        out.push_back(parent + "/s" + QByteArray::number(i));
    return out;
}

std::vector<QString> Cells(const QString &parentCell, std::initializer_list<const char *> cells)
{
    std::vector<QString> out{parentCell};
    for (const char *c : cells)
        out.push_back(QString::fromUtf8(c));
    return out;
}

// Column 1: the parent row, then the paths.
std::vector<QString> Names(std::initializer_list<const char *> names)
{
    return Cells(QStringLiteral("\\..."), names);
}

} // namespace

TEST(FolderScan, MeasuresEverySubfolderOnceInListingOrder)
{
    ScanWindow w;
    w.addNumbered("/d", 10, [](int i) { return int64_t(i) * 100; });
    std::vector<int> progressAtMeasure;
    QString captionDuring;
    w.fs.onFolderSize = [&](const QByteArray &) {
        progressAtMeasure.push_back(w.progressBar->value());
        captionDuring = w.scanButton->text();
        EXPECT_TRUE(w.scan->scanRunning());
    };
    w.scanAt("/d");

    EXPECT_EQ(w.fs.sizeCalls, Paths("/d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // Ten yields counting, ten listing, nine between the measurements.
    EXPECT_EQ(w.yield.count, 29);
    // The value 1 never shows: the first folder is measured before the loop.
    EXPECT_EQ(progressAtMeasure, (std::vector<int>{0, 0, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(captionDuring, QStringLiteral("Остановить"));
    EXPECT_EQ(w.scanButton->text(), QStringLiteral("Показать"));
    EXPECT_EQ(w.progressBar->maximum(), 10);
    EXPECT_EQ(w.progressBar->value(), 10);
    EXPECT_EQ(w.countLabel->text(), QStringLiteral("Кол-во: 10"));
    EXPECT_EQ(w.resultList->rowCount(), 11);
    EXPECT_EQ(w.resultList->rowPath(10), QByteArray("/d/s10"));
    EXPECT_EQ(w.resultList->rowText(10, 2), QString(70, QLatin1Char('|')));
    EXPECT_EQ(w.resultList->rowText(1, 4), QStringLiteral("0100"));
    EXPECT_FALSE(w.scan->scanRunning());
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/d"));
    EXPECT_TRUE(w.boxes.boxes.empty());
}

TEST(FolderScan, RootGetsNoDoubledSlash)
{
    ScanWindow w;
    w.addFolder("/", {{"bin", 1}, {"home", 2}});
    w.scanAt("/");
    EXPECT_EQ(w.fs.sizeCalls, (std::vector<QByteArray>{"/bin", "/home"}));
    EXPECT_EQ(w.column(1), Names({"/bin", "/home"}));

    std::vector<QByteArray> mss(2);
    w.scan->listSubfolders("/", mss);
    EXPECT_EQ(mss, (std::vector<QByteArray>{"/bin", "/home"}));
    EXPECT_EQ(w.scan->countSubfolders("/"), 2);
}

TEST(FolderScan, OneSubfolderAndNone)
{
    ScanWindow w;
    w.addNumbered("/d", 10, [](int) { return 1; });
    w.scanAt("/d");

    // One subfolder: no yield after the listing; the bar waits at 0.
    w.addFolder("/one", {{"x", 5}});
    w.yield.count = 0;
    int progressAtMeasure = -1;
    w.fs.onFolderSize = [&](const QByteArray &) { progressAtMeasure = w.progressBar->value(); };
    w.scanAt("/one");
    EXPECT_EQ(w.yield.count, 2);
    EXPECT_EQ(progressAtMeasure, 0);
    EXPECT_EQ(w.progressBar->maximum(), 1);
    EXPECT_EQ(w.progressBar->value(), 1);
    EXPECT_EQ(w.column(1), Names({"/one/x"}));
    EXPECT_EQ(w.resultList->rowText(1, 2), QString(70, QLatin1Char('|')));

    // None: only the parent row; the bar keeps its maximum and is filled.
    w.fs.add("/empty");
    w.progressBar->setMaximum(7);
    w.progressBar->setValue(3);
    w.fs.sizeCalls.clear();
    w.scanAt("/empty");
    EXPECT_TRUE(w.fs.sizeCalls.empty());
    EXPECT_EQ(w.column(1), Names({}));
    EXPECT_EQ(w.countLabel->text(), QStringLiteral("Кол-во: 0"));
    EXPECT_EQ(w.progressBar->maximum(), 7);
    EXPECT_EQ(w.progressBar->value(), 7);
}

TEST(FolderScan, StopDuringTheThirdOfTenLeavesTheOldList)
{
    ScanWindow w;
    w.addFolder("/old", {{"b", 10}, {"a", 30}, {"c", 20}});
    w.scanAt("/old");
    w.resultList->sortBy(3, false);
    w.select(2);
    w.resultList->showSelectionText();
    const QString oldLabel = w.countLabel->text();
    ASSERT_EQ(oldLabel, QStringLiteral("Кол-во: 3/2 - '/old/c'"));
    const auto oldRows = w.column(1);

    w.addNumbered("/d", 10, [](int i) { return i; });
    w.fs.sizeCalls.clear();
    w.yield.count = 0;
    // A press during a blocking measurement waits in the event queue until
    // the next yield lets it in.
    bool pressed = false;
    int progressAtFourth = -1;
    w.fs.onFolderSize = [&](const QByteArray &path) {
        if (path == "/d/s3")
            pressed = true;
        if (path == "/d/s4")
            progressAtFourth = w.progressBar->value();
        EXPECT_EQ(w.scanButton->text(), QStringLiteral("Остановить"));
    };
    w.yield.hook = [&](int) {
        if (pressed) {
            pressed = false;
            w.scan->startOrStopScan();
            EXPECT_TRUE(w.scan->stopRequested());
        }
    };
    w.scanAt("/d");

    // The request is seen after the fourth folder, never before it.
    EXPECT_EQ(w.fs.sizeCalls, Paths("/d", {1, 2, 3, 4}));
    EXPECT_EQ(progressAtFourth, 3);
    EXPECT_EQ(w.yield.count, 23); // 10 counting, 10 listing, 3 measuring
    EXPECT_EQ(w.column(1), oldRows);
    EXPECT_EQ(w.countLabel->text(), oldLabel);
    EXPECT_EQ(w.resultList->sortColumn(), 3);
    EXPECT_EQ(w.resultList->sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(w.progressBar->maximum(), 10);
    EXPECT_EQ(w.progressBar->value(), 10);
    EXPECT_EQ(w.scanButton->text(), QStringLiteral("Показать"));
    EXPECT_FALSE(w.scan->scanRunning());
    EXPECT_FALSE(w.scan->stopRequested());
    EXPECT_TRUE(w.boxes.boxes.empty());

    // The yield before the fourth folder is the 23rd.
    w.fs.onFolderSize = nullptr;
    w.fs.sizeCalls.clear();
    w.yield.count = 0;
    w.yield.hook = [&](int n) {
        if (n == 23)
            w.scan->startOrStopScan();
    };
    w.scanAt("/d");
    EXPECT_EQ(w.fs.sizeCalls, Paths("/d", {1, 2, 3, 4}));
    EXPECT_EQ(w.yield.count, 23);
    EXPECT_EQ(w.column(1), oldRows);
}

TEST(FolderScan, StopWhileListingOneSubfolderDoesNotLeak)
{
    ScanWindow w;
    w.addFolder("/one", {{"x", 5}});
    w.yield.hook = [&](int n) {
        if (n == 2) { // listing its only subfolder
            w.scan->startOrStopScan();
            EXPECT_TRUE(w.scan->stopRequested()); // never seen: no measurement follows
        }
    };
    w.scanAt("/one");
    EXPECT_EQ(w.column(1), Names({"/one/x"}));
    EXPECT_EQ(w.countLabel->text(), QStringLiteral("Кол-во: 1"));
    EXPECT_FALSE(w.scan->stopRequested()); // the end of the scan drops it

    w.yield.hook = nullptr;
    w.addNumbered("/d", 10, [](int i) { return i; });
    w.fs.sizeCalls.clear();
    w.scanAt("/d");
    EXPECT_EQ(w.fs.sizeCalls.size(), 10u);
    EXPECT_EQ(w.resultList->rowCount(), 11);
    EXPECT_FALSE(w.scan->stopRequested());
}

TEST(FolderScan, ACloseDuringAScanStopsItAndFallsDueOnceItHasEnded)
{
    ScanWindow w;
    w.addNumbered("/d", 5, [](int i) { return i * 10; });
    std::vector<std::string> events;
    QObject::connect(w.scan.get(), &FolderScan::scanFinished, [&] { events.push_back("finished"); });
    QObject::connect(w.scan.get(), &FolderScan::closeDue, [&] { events.push_back("close"); });

    EXPECT_TRUE(w.scan->requestClose()); // idle: the window may close at once
    EXPECT_FALSE(w.scan->stopRequested());

    // Five yields counting, five listing, then one before each measurement
    // after the first: the 11th comes before /d/s2 is measured.
    std::vector<bool> mayClose;
    w.yield.hook = [&](int n) {
        if (n == 11 || n == 12) {
            mayClose.push_back(w.scan->requestClose());
            EXPECT_TRUE(w.scan->stopRequested());
            EXPECT_TRUE(events.empty());
        }
    };
    w.scanAt("/d");
    EXPECT_EQ(mayClose, std::vector<bool>{false});
    EXPECT_EQ(w.fs.sizeCalls, Paths("/d", {1, 2}));
    EXPECT_EQ(events, (std::vector<std::string>{"finished", "close"}));
    EXPECT_FALSE(w.scan->scanRunning());
    EXPECT_FALSE(w.scan->stopRequested());
    EXPECT_EQ(w.scanButton->text(), QStringLiteral("Показать"));

    // The close was reported once; the next scan runs to its end.
    events.clear();
    w.yield.hook = nullptr;
    w.fs.sizeCalls.clear();
    w.scanAt("/d");
    EXPECT_EQ(w.fs.sizeCalls.size(), 5u);
    EXPECT_EQ(events, std::vector<std::string>{"finished"});
}

TEST(FolderScan, ASortOutlivesTheNextScan)
{
    ScanWindow w;
    w.addFolder("/a", {{"x", 1}, {"y", 3}, {"z", 2}});
    w.addFolder("/b", {{"p", 7}, {"q", 9}, {"r", 8}});
    w.scanAt("/a");
    w.resultList->sortBy(3, false); // largest first
    w.resultList->setRowChecked(1, true);
    w.scanAt("/b");
    EXPECT_EQ(w.column(1), Names({"/b/q", "/b/r", "/b/p"}));
    EXPECT_EQ(w.resultList->sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(w.resultList->rowText(0, 4), QString(QChar(0xFF)));
    for (int r = 0; r < w.resultList->rowCount(); ++r)
        EXPECT_FALSE(w.resultList->rowChecked(r));
    w.scanAt("/b"); // again: not reversed
    EXPECT_EQ(w.column(1), Names({"/b/q", "/b/r", "/b/p"}));
}

TEST(FolderScan, ScansTheHighlightedEntryOfTheOpenFolder)
{
    ScanWindow w;
    w.addNumbered("/d", 3, [](int) { return 1; });
    w.addFolder("/d/s2", {{"in1", 4}, {"in2", 6}});
    w.folderList.open = "/d";
    w.folderList.highlighted = "/d/s2";
    // Highlighting yet another entry meanwhile changes nothing.
    w.yield.hook = [&](int) { w.folderList.highlighted = "/d/s3"; };
    w.scan->startOrStopScan();
    EXPECT_EQ(w.column(1), Names({"/d/s2/in1", "/d/s2/in2"}));
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/d"));
}

TEST(FolderScan, PermissionDeniedIsPassedOverAtEveryStep)
{
    ScanWindow w;
    // Counting cannot open the folder: shown as having no subfolders.
    w.addNumbered("/d", 3, [](int i) { return i * 10; });
    w.fs.at("/d").openError = 70;
    w.scanAt("/d");
    EXPECT_EQ(w.column(1), Names({}));
    EXPECT_EQ(w.countLabel->text(), QStringLiteral("Кол-во: 0"));
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/d"));

    // Enumeration denied after two names, in both passes.
    w.fs.at("/d").openError = 0;
    w.fs.at("/d").listError = 70;
    w.fs.at("/d").listErrorAfter = 2;
    w.scanAt("/d");
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2"}));

    // Sizes denied, the first included: listed with 0 bytes.
    w.fs.at("/d").listError = 0;
    w.fs.at("/d/s1").sizeError = 70;
    w.fs.at("/d/s3").sizeError = 70;
    w.scanAt("/d");
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2", "/d/s3"}));
    EXPECT_EQ(w.column(3), Cells({}, {"0 байт", "20 байт", "0 байт"}));
    EXPECT_EQ(w.column(2), Cells({}, {"|", std::string(70, '|').c_str(), "|"}));
    EXPECT_EQ(w.column(4), Cells({}, {"00", "20", "00"}));
    EXPECT_TRUE(w.boxes.boxes.empty());

    // The listing pass denied after a good count: its paths stay empty, and
    // measuring an empty path is a failure of its own.
    w.fs.at("/d/s1").sizeError = 0;
    w.fs.at("/d/s3").sizeError = 0;
    w.yield.count = 0;
    w.yield.hook = [&](int n) {
        if (n == 3)
            w.fs.at("/d").openError = 70;
    };
    const auto before = w.column(1);
    w.scanAt("/d");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("76\rПуть не найден"));
    EXPECT_EQ(w.column(1), before);
}

TEST(FolderScan, OtherFailuresShowTheirNumberAndEndTheScan)
{
    ScanWindow w;
    w.addNumbered("/d", 3, [](int i) { return i; });
    w.scanAt("/d");
    const auto before = w.column(1);
    w.addNumbered("/e", 3, [](int i) { return i; });

    // Opening the folder to count it.
    w.fs.at("/e").openError = 68;
    w.scanAt("/e");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("68\rУстройство недоступно"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка68"));
    EXPECT_EQ(w.boxes.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(w.column(1), before);
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/d"));
    EXPECT_EQ(w.scanButton->text(), QStringLiteral("Показать"));
    EXPECT_EQ(w.progressBar->value(), w.progressBar->maximum());

    // Opening it again for the listing.
    w.boxes.boxes.clear();
    w.fs.at("/e").openError = 0;
    w.yield.count = 0;
    w.yield.hook = [&](int n) {
        if (n == 3)
            w.fs.at("/e").openError = 57;
    };
    w.scanAt("/e");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("57\rОшибка ввода-вывода на устройстве"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка57"));
    EXPECT_EQ(w.column(1), before);
    EXPECT_TRUE(w.fs.sizeCalls.size() == 3u); // only the first scan measured

    // A size.
    w.boxes.boxes.clear();
    w.yield.hook = nullptr;
    w.fs.at("/e").openError = 0;
    w.fs.at("/e/s2").sizeError = 61;
    w.fs.sizeCalls.clear();
    w.scanAt("/e");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("61\rДиск заполнен"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка61"));
    EXPECT_EQ(w.fs.sizeCalls, Paths("/e", {1, 2}));
    EXPECT_EQ(w.column(1), before);
    EXPECT_EQ(w.progressBar->value(), 3);
    EXPECT_FALSE(w.scan->scanRunning());
}

TEST(FolderScan, EnumerationFailuresMidwayAreShownWithTheirSource)
{
    ScanWindow w;
    w.addNumbered("/d", 4, [](int i) { return i; });
    w.fs.at("/d").listError = 57;
    w.fs.at("/d").listErrorAfter = 3;
    w.scanAt("/d");
    // Once for the count, once for the listing; then the scan carries on.
    ASSERT_EQ(w.boxes.boxes.size(), 2u);
    for (const auto &b : w.boxes.boxes) {
        EXPECT_EQ(b.text, QStringLiteral("57\nОшибка ввода-вывода на устройстве\nFakeFileSystem"));
        EXPECT_EQ(b.title, QStringLiteral("Ошибка57"));
        EXPECT_EQ(b.icon, Icon::Exclamation);
    }
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2", "/d/s3"}));
}

TEST(FolderScan, SecondPassFindingMoreOrFewerFolders)
{
    ScanWindow w;
    w.addNumbered("/d", 2, [](int i) { return i; });
    // One more appears between the passes: the surplus is refused with 9,
    // the scan goes on with the names it has.
    w.yield.hook = [&](int n) {
        if (n == 2)
            w.fs.add("/d/s3", 1);
    };
    w.scanAt("/d");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text,
              QStringLiteral("9\nИндекс выходит за пределы допустимого диапазона\nVolumescope"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка9"));
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2"}));

    // One vanishes: its path stays empty and measuring it fails.
    w.boxes.boxes.clear();
    w.yield.count = 0;
    w.yield.hook = [&](int n) {
        if (n == 3)
            w.fs.at("/d").subs.pop_back();
    };
    w.scanAt("/d");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("76\rПуть не найден"));
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2"}));
}

TEST(FolderScan, MoreThan32767SubfoldersOverflow)
{
    ScanWindow w;
    w.addNumbered("/big", 32768, [](int) { return 0; });
    w.addFolder("/d", {{"a", 1}});
    w.scanAt("/d");
    w.scanAt("/big");
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("6\rПереполнение"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка6"));
    EXPECT_EQ(w.column(1), Names({"/d/a"}));
    EXPECT_EQ(w.fs.sizeCalls.size(), 1u);

    // 32,767 still fits.
    w.fs.at("/big").subs.pop_back();
    w.boxes.boxes.clear();
    w.scanAt("/big");
    EXPECT_TRUE(w.boxes.boxes.empty());
    EXPECT_EQ(w.countLabel->text(), QStringLiteral("Кол-во: 32767"));
    EXPECT_EQ(w.resultList->rowCount(), 32768);
}

TEST(FolderScan, DrillDownIntoARow)
{
    ScanWindow w;
    w.addNumbered("/d", 10, [](int i) { return i; });
    w.addFolder("/d/s4", {{"deep", 3}});
    w.scanAt("/d");
    w.select(4);
    QString labelAtOpen;
    w.folderList.onChange = [&] { labelAtOpen = w.countLabel->text(); };
    w.scan->drillDown();
    EXPECT_EQ(labelAtOpen, QStringLiteral("Кол-во: 11/5  </d/s4>"));
    EXPECT_EQ(w.folderList.openCalls, (std::vector<QByteArray>{"/d/s4"}));
    EXPECT_EQ(w.folderList.toolTip, QStringLiteral("/d/s4"));
    EXPECT_EQ(w.column(1), Names({"/d/s4/deep"}));
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/d/s4"));

    // With automatic scanning on, the folder change starts the one scan.
    w.scanAt("/d");
    w.autoViewCheck->setChecked(true);
    int scans = 0;
    w.folderList.onChange = [&] { w.scan->startOrStopScan(); };
    QObject::connect(w.scan.get(), &FolderScan::scanStarted, [&] { ++scans; });
    w.select(4);
    w.scan->drillDown();
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(w.column(1), Names({"/d/s4/deep"}));
}

TEST(FolderScan, DrillDownToTheParentFolder)
{
    ScanWindow w;
    w.addFolder("/", {{"data", 5}, {"etc", 1}});
    w.addFolder("/data", {{"x", 1}});
    w.scanAt("/");
    w.select(0);
    w.scan->drillDown(); // at the root nothing happens
    EXPECT_TRUE(w.folderList.openCalls.empty());
    EXPECT_EQ(w.column(1), Names({"/data", "/etc"}));

    w.scanAt("/data");
    w.fs.sizeCalls.clear();
    w.select(0);
    w.scan->drillDown();
    EXPECT_EQ(w.folderList.openCalls, (std::vector<QByteArray>{"/"}));
    EXPECT_EQ(w.scan->currentFolder(), QByteArray("/"));
    EXPECT_EQ(w.fs.sizeCalls, (std::vector<QByteArray>{"/data", "/etc"}));
}

TEST(FolderScan, DrillDownRefusedOrFailing)
{
    ScanWindow w;
    w.addNumbered("/d", 3, [](int i) { return i; });
    w.scanAt("/d");

    // While a scan runs it does nothing.
    w.select(2);
    w.yield.hook = [&](int n) {
        if (n == 1)
            w.scan->drillDown();
    };
    w.scanAt("/d");
    EXPECT_TRUE(w.folderList.openCalls.empty());
    w.yield.hook = nullptr;

    // Access denied: told, then the unchanged folder is scanned again.
    w.select(2);
    w.folderList.failWith = 419;
    w.fs.sizeCalls.clear();
    w.scan->drillDown();
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("Нет доступа к выбранной папке!"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Доступ запрещен"));
    EXPECT_EQ(w.boxes.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(w.folderList.open, QByteArray("/d"));
    EXPECT_EQ(w.folderList.toolTip, QStringLiteral("/d"));
    EXPECT_EQ(w.fs.sizeCalls, Paths("/d", {1, 2, 3}));

    // Any other failure: shown with its source, and the drill-down ends.
    w.boxes.boxes.clear();
    w.folderList.failWith = 76;
    w.fs.sizeCalls.clear();
    w.select(2);
    w.scan->drillDown();
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].text, QStringLiteral("76\nПуть не найден\nDir1"));
    EXPECT_EQ(w.boxes.boxes[0].title, QStringLiteral("Ошибка76"));
    EXPECT_TRUE(w.fs.sizeCalls.empty());

    // Nothing on an empty list.
    ScanWindow empty;
    empty.scan->drillDown();
    EXPECT_TRUE(empty.folderList.openCalls.empty());
}

TEST(FolderScan, DrillDownIntoANameThatIsNotUtf8)
{
    ScanWindow w;
    const QByteArray odd("/d/\xff\xfe");
    w.fs.add("/d");
    w.fs.add(odd, 4);
    w.fs.add(odd + "/in", 2);
    w.scanAt("/d");
    ASSERT_EQ(w.resultList->rowPath(1), odd);
    w.select(1);
    w.scan->drillDown();
    EXPECT_EQ(w.folderList.openCalls, (std::vector<QByteArray>{odd}));
    EXPECT_EQ(w.fs.sizeCalls.back(), odd + "/in");
    EXPECT_EQ(w.resultList->rowPath(1), odd + "/in");
    EXPECT_EQ(w.scan->currentFolder(), odd);
}

namespace
{

// Everything a finished scan leaves behind that a user can see.
struct ScanEnd {
    std::vector<QString> names, sizes;
    std::vector<bool> ticks;
    QString label, button;
    int progressMax = 0, progress = 0, sortColumn = 0;
    Qt::SortOrder order = Qt::AscendingOrder;
    std::vector<QByteArray> measured;
    size_t boxes = 0;
    bool running = false, stopAsked = false;

    static ScanEnd Of(const ScanWindow &w)
    {
        ScanEnd e;
        e.names = w.column(1);
        e.sizes = w.column(2);
        for (int r = 0; r < w.resultList->rowCount(); ++r)
            e.ticks.push_back(w.resultList->rowChecked(r));
        e.label = w.countLabel->text();
        e.button = w.scanButton->text();
        e.progressMax = w.progressBar->maximum();
        e.progress = w.progressBar->value();
        e.sortColumn = w.resultList->sortColumn();
        e.order = w.resultList->sortOrder();
        e.measured = w.fs.sizeCalls;
        e.boxes = w.boxes.boxes.size();
        e.running = w.scan->scanRunning();
        e.stopAsked = w.scan->stopRequested();
        return e;
    }
    friend bool operator==(const ScanEnd &, const ScanEnd &) = default;
};

// A window with an old list (sorted by size, one row unticked) and /d with
// eight subfolders to scan.
void PrepareOldList(ScanWindow &w)
{
    w.addFolder("/old", {{"b", 10}, {"a", 30}, {"c", 20}});
    w.scanAt("/old");
    w.resultList->sortBy(3, false);
    w.resultList->setRowChecked(2, false);
    w.addNumbered("/d", 8, [](int i) { return i * 100; });
    w.fs.sizeCalls.clear();
    w.yield.count = 0;
}

// 8 counting + 8 listing yields, then one before each measurement from the
// second: the yield before folder k (k >= 2) is the (14 + k)-th.
int YieldBeforeMeasurement(int k)
{
    return 16 + k - 1;
}

ScanEnd StopAtYield(int n)
{
    ScanWindow w;
    PrepareOldList(w);
    w.yield.hook = [&](int count) {
        if (count == n)
            w.scan->startOrStopScan();
    };
    w.scanAt("/d");
    return ScanEnd::Of(w);
}

// The user presses the button while folder k is measured: the measurement
// waits like the real file system does, through the wait callback.
ScanEnd StopWhileMeasuring(int k, int *scansStarted = nullptr, int *waitYields = nullptr)
{
    ScanWindow w;
    PrepareOldList(w);
    QObject::connect(w.scanButton, &QPushButton::clicked, w.scan.get(), &FolderScan::startOrStopScan);
    int started = 0;
    QObject::connect(w.scan.get(), &FolderScan::scanStarted, [&] { ++started; });
    bool inWait = false;
    int yieldsInWait = 0;
    w.yield.hook = [&](int) {
        if (!inWait)
            return;
        ++yieldsInWait;
        w.scanButton->click(); // handled in the wait, as at a yield
    };
    const QByteArray target = "/d/s" + QByteArray::number(k);
    bool abandoned = false;
    w.fs.onFolderSize = [&](const QByteArray &path) {
        if (path != target)
            return;
        inWait = true;
        abandoned = WhileInterfaceWaits();
        inWait = false;
        EXPECT_TRUE(abandoned) << "the stop abandons the folder in measurement";
        // A later wait callback of the same measurement still says so.
        EXPECT_TRUE(WhileInterfaceWaits());
    };
    w.scanAt("/d");
    QCoreApplication::processEvents(); // nothing was held back for later
    EXPECT_FALSE(WhileInterfaceWaits()) << "no wait as at a yield outside the scan";
    if (scansStarted)
        *scansStarted = started;
    if (waitYields)
        *waitYields = yieldsInWait;
    return ScanEnd::Of(w);
}

} // namespace

TEST(FolderScan, AStopDuringAMeasurementEndsAsAStopAtTheYieldBeforeIt)
{
    const ScanEnd oldList = [] {
        ScanWindow w;
        PrepareOldList(w);
        return ScanEnd::Of(w);
    }();
    for (int k = 2; k <= 8; ++k) {
        int scans = 0, yields = 0;
        const ScanEnd during = StopWhileMeasuring(k, &scans, &yields);
        const ScanEnd atYield = StopAtYield(YieldBeforeMeasurement(k));
        EXPECT_TRUE(during == atYield) << k;
        EXPECT_EQ(scans, 1) << k;
        EXPECT_EQ(yields, 1) << k; // the press, handled in the first wait callback
        // The old list stays, ticks and order included.
        EXPECT_EQ(during.names, oldList.names) << k;
        EXPECT_EQ(during.ticks, oldList.ticks) << k;
        EXPECT_EQ(during.label, oldList.label) << k;
        EXPECT_EQ(during.sortColumn, 3);
        EXPECT_EQ(during.order, Qt::DescendingOrder);
        EXPECT_EQ(during.measured.size(), size_t(k)) << k;
        EXPECT_EQ(during.progressMax, 8);
        EXPECT_EQ(during.progress, 8);
        EXPECT_EQ(during.button, QStringLiteral("Показать"));
        EXPECT_FALSE(during.running);
        EXPECT_FALSE(during.stopAsked);
        EXPECT_EQ(during.boxes, 0u);
    }
    // The first folder has no stop check of its own: the stop is seen after
    // the second, as a stop at the yield before it.
    int scans = 0;
    const ScanEnd first = StopWhileMeasuring(1, &scans);
    EXPECT_TRUE(first == StopAtYield(YieldBeforeMeasurement(2)));
    EXPECT_EQ(first.measured, Paths("/d", {1, 2}));
    EXPECT_EQ(scans, 1);
}

TEST(FolderScan, TheWaitDuringAMeasurementIsNotEnteredTwice)
{
    ScanWindow w;
    w.addNumbered("/d", 3, [](int i) { return i; });
    int nestedYields = -1;
    bool nestedAbandon = true;
    bool inWait = false;
    w.yield.hook = [&](int n) {
        if (!inWait)
            return;
        // Events handled in the wait that wait in turn get paints only.
        nestedAbandon = WhileInterfaceWaits();
        nestedYields = w.yield.count - n;
    };
    w.fs.onFolderSize = [&](const QByteArray &path) {
        if (path != "/d/s2")
            return;
        inWait = true;
        EXPECT_FALSE(WhileInterfaceWaits());
        inWait = false;
    };
    w.scanAt("/d");
    EXPECT_EQ(nestedYields, 0);
    EXPECT_FALSE(nestedAbandon);
    EXPECT_EQ(w.fs.sizeCalls.size(), 3u);
    EXPECT_EQ(w.column(1), Names({"/d/s1", "/d/s2", "/d/s3"}));
}
