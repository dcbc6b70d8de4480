// The main window: drive and folder lists on the left, the result list on
// the right, a toolbar above, function keys and a context menu. The window
// sees every key before the focused control, so the function keys work
// wherever the focus is. Commands that belong to other windows (print, the
// duplicate finder, About, the drive overview) leave this window as signals.
#pragma once

#include "MainLayout.h"
#include "report/Form4.h"

#include <QByteArray>
#include <QWidget>
#include <cstdint>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace vs {

class DirListBox;
class Divider;
class DriveListBox;
class DriveNavigator;
class EventYield;
class FileSystem;
class FolderScan;
class MessageBoxes;
class MountTable;
class ResultList;
class Shell;

class Form1 : public QWidget {
    Q_OBJECT
public:
    // The folder list opens at `startFolder`, by default the working directory.
    Form1(FileSystem &fs, MountTable &mounts, Shell &shell, MessageBoxes &boxes, EventYield &yield,
          const QByteArray &startFolder = {}, QWidget *parent = nullptr);
    ~Form1() override;

    ResultList *listView1() const { return listView1_; }
    FolderScan &scan() const { return *scan_; }
    DirListBox *dir1() const { return dir1_; }
    DriveListBox *drive1() const { return drive1_; }
    // The chosen drive as the drive list shows it.
    QString drive1Text() const;
    // The program's folder, ending with "/".
    QByteArray appFolder() const { return appFolder_; }
    int16_t lastDriveIndex() const;
    // The context menu "Файл".
    QMenu *contextMenu() const { return m_mnu_; }
    // Current placement of the controls, in twips.
    const MainLayout &layoutTwips() const { return layout_; }
    // The window's outer size in twips: the client area plus the frame the
    // layout was designed around, whatever the window manager draws.
    double outerWidthTwips() const;
    double outerHeightTwips() const;

    // What the print set-up dialog last confirmed (headings, copy name).
    PrintFields printFields;

public slots:
    void StartOrStopScan();
    void OpenInShell();
    void OpenHelp();

signals:
    void printRequested();
    void duplicatesRequested();
    void aboutRequested();
    void driveOverviewRequested();
    // The window is about to close (any running scan has stopped).
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void buildMenu();
    void layOut();
    void placeControls();
    bool handleKey(QKeyEvent *event);
    void onDividerPressed(Qt::MouseButton button, Qt::KeyboardModifiers, double x);
    void onDividerMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, double x);

    Shell &shell_;
    QByteArray appFolder_;
    MainLayout layout_;
    int lastAcceptedWidth_ = 0;
    int grabOffset_ = 0;
    bool closePending_ = false;

    QToolBar *toolbar1_ = nullptr;
    DriveListBox *drive1_ = nullptr;
    QPushButton *command2_ = nullptr;
    DirListBox *dir1_ = nullptr;
    Divider *image1_ = nullptr;
    ResultList *listView1_ = nullptr;
    QLabel *label1_ = nullptr;
    QProgressBar *progressBar1_ = nullptr;
    QPushButton *command1_ = nullptr;
    QCheckBox *check1_ = nullptr;
    QMenu *m_mnu_ = nullptr;
    FolderScan *scan_ = nullptr;
    DriveNavigator *navigator_ = nullptr;
};

} // namespace vs
