// The main window's scan controls in a bare widget, with fakes for the folder
// list (Dir1), the file system, the yield and the message boxes.
#pragma once

#include "fs/Paths.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"
#include "support/FakeMountTable.h"
#include "support/Fakes.h"
#include "util/Errors.h"
#include "widgets/FolderChooser.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>

namespace vs::test
{

class FakeChooser : public FolderChooser
{
  public:
    QByteArray openFolder() const override { return open; }
    QByteArray highlightedFolder() const override { return highlighted.isNull() ? open : highlighted; }
    void openAt(const QByteArray &path) override
    {
        openCalls.push_back(path);
        if (failWith != 0)
            throw MakeError(failWith, QStringLiteral("Dir1"));
        open = path;
        highlighted = QByteArray();
        if (onChange)
            onChange();
    }
    void setToolTipText(const QString &text) override { toolTip = text; }

    QByteArray open;
    QByteArray highlighted; // null: the open folder
    int failWith = 0;
    std::vector<QByteArray> openCalls;
    QString toolTip;
    std::function<void()> onChange; // Dir1's change event
};

struct ScanWindow {
    ScanWindow()
    {
        scanButton = new QPushButton(QStringLiteral("Показать"), &window);
        progressBar = new QProgressBar(&window);
        countLabel = new QLabel(QStringLiteral("Кол-во: "), &window);
        resultList = new ResultList(&window);
        autoViewCheck = new QCheckBox(QStringLiteral("Авто просмотр"), &window);
        resultList->setCountLabel(countLabel);
        scan = std::make_unique<FolderScan>(
            FolderScan::Widgets{scanButton, progressBar, countLabel, resultList, autoViewCheck}, folderList,
            WindowServices{fs, mounts, shell, boxes, yield}, &window);
    }

    // Adds `parent` and its subfolders `parent/<name>` with the given sizes.
    void addFolder(const QByteArray &parent, const std::vector<std::pair<QByteArray, int64_t>> &subs)
    {
        if (fs.folders.find(parent) == fs.folders.end())
            fs.add(parent);
        for (const auto &[name, size] : subs)
            fs.add(JoinPath(parent, name), size);
    }
    // Subfolders s1..sN of `parent`, sized by `sizeOf(i)`.
    void addNumbered(const QByteArray &parent, int n, const std::function<int64_t(int)> &sizeOf)
    {
        fs.add(parent);
        for (int i = 1; i <= n; ++i)
            fs.add(parent + "/s" + QByteArray::number(i), sizeOf(i));
    }
    void scanAt(const QByteArray &folder)
    {
        folderList.open = folder;
        folderList.highlighted = QByteArray();
        scan->startOrStopScan();
    }
    std::vector<QString> column(int c) const
    {
        std::vector<QString> out;
        for (int r = 0; r < resultList->rowCount(); ++r)
            out.push_back(resultList->rowText(r, c));
        return out;
    }
    void select(int row) { resultList->setCurrentItem(resultList->topLevelItem(row)); }

    QWidget window;
    QPushButton *scanButton;
    QProgressBar *progressBar;
    QLabel *countLabel;
    ResultList *resultList;
    QCheckBox *autoViewCheck;
    FakeChooser folderList;
    FakeFileSystem fs;
    FakeMountTable mounts; // unused by the scan
    RecordingShell shell;  // unused by the scan
    ScriptedYield yield;
    RecordingMessageBoxes boxes;
    std::unique_ptr<FolderScan> scan;
};

} // namespace vs::test

// Readable failure output.
#include <ostream>
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toStdString() << '"';
}
