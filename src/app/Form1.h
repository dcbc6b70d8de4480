// The main window: drive and folder lists on the left, the result list on
// the right, a toolbar above, function keys and a context menu. The window
// sees every key before the focused control, so the function keys work
// wherever the focus is. Commands that belong to other windows (print, the
// duplicate finder, About, the drive overview) leave this window as signals.
// Controls keep their design names as object names (Command1, ListView1,
// Dir1, ...); the members are named by what the controls do.
#pragma once

#include "MainLayout.h"
#include "report/Form4.h"
#include "util/FileSystem.h"
#include "widgets/WindowServices.h"

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

namespace vs
{

class DirListBox;
class Divider;
class DriveListBox;
class DriveNavigator;
class FolderScan;
class ResultList;
class Shell;

class Form1 : public QWidget
{
    Q_OBJECT
  public:
    // The folder list opens at `startFolder`, by default the working directory.
    explicit Form1(const WindowServices &services, const QByteArray &startFolder = {},
                   QWidget *parent = nullptr);
    ~Form1() override;

    ResultList *resultList() const { return resultList_; }
    FolderScan &scan() const { return *scan_; }
    DirListBox *folderList() const { return folderList_; }
    DriveListBox *driveList() const { return driveList_; }
    // The chosen drive as the drive list shows it.
    QString chosenDriveText() const;
    // The program's folder, ending with "/".
    QByteArray appFolder() const { return appFolder_; }
    int16_t lastDriveIndex() const;
    // The context menu "Файл".
    QMenu *contextMenu() const { return contextMenu_; }
    // What the next scan's totals count, as the menu's "Размер на диске"
    // switch shows it.
    SizeMeasure measure() const;
    void setMeasure(SizeMeasure measure);
    // Current placement of the controls, in twips.
    const MainLayout &layoutTwips() const { return layout_; }
    // The window's outer size in twips: the client area plus the frame the
    // layout was designed around, whatever the window manager draws.
    double outerWidthTwips() const;
    double outerHeightTwips() const;
    // The divider's left edge in twips, and a move of it there by the drag's
    // rule; false, changing nothing, where a drag could not take it.
    double dividerLeftTwips() const { return layout_.divider.left; }
    bool placeDivider(int leftTwips);

    // What the print set-up dialog last confirmed (headings, copy name).
    PrintFields printFields;

  public slots:
    void startOrStopScan();
    // Opens the selected row's folder (the scanned folder for the top row)
    // in the desktop's file manager.
    void openSelectedFolder();
    void openHelp();

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
    bool handleDesktopKey(QKeyEvent *event);
    void popUpMenuFromKeyboard();
    void grabDivider(Qt::MouseButton button, Qt::KeyboardModifiers, double x);
    void dragDivider(Qt::MouseButtons buttons, Qt::KeyboardModifiers, double x);

    Shell &shell_;
    QByteArray appFolder_;
    MainLayout layout_;
    int lastAcceptedWidth_ = 0;
    int grabOffset_ = 0;

    QToolBar *toolbar_ = nullptr;            // Toolbar1
    DriveListBox *driveList_ = nullptr;      // Drive1
    QPushButton *driveInfoButton_ = nullptr; // Command2: the drive overview
    DirListBox *folderList_ = nullptr;       // Dir1
    Divider *divider_ = nullptr;             // Image1
    ResultList *resultList_ = nullptr;       // ListView1
    QLabel *countLabel_ = nullptr;           // Label1
    QProgressBar *progressBar_ = nullptr;    // ProgressBar1
    QPushButton *scanButton_ = nullptr;      // Command1
    QCheckBox *autoViewCheck_ = nullptr;     // Check1
    QMenu *contextMenu_ = nullptr;           // m_mnu
    QAction *diskUsageAction_ = nullptr;     // m_disk_usage: "Размер на диске"
    FolderScan *scan_ = nullptr;
    DriveNavigator *navigator_ = nullptr;
};

} // namespace vs
