// The duplicate finder window "Дубликтор файлов", a view over DupeSearch. It
// starts the two searches, the tree scan (Command4, groups of equal files
// below the highlighted folder) and the search for copies of one chosen file
// (Command2), and shows what the search reports. While a search runs, the
// button that started it reads "Отмена" and only asks the search to stop;
// closing the window meanwhile is held back until the search has wound down.
//
// The program keeps one window object for the run (ProgramWindows owns it):
// the size range of the settings panel and the animation counter survive
// closing and reopening, while the controls start afresh at every opening.
#pragma once

#include "dupes/engine/DupeActions.h"
#include "dupes/engine/DupeSearch.h"
#include "widgets/WindowServices.h"

#include <QElapsedTimer>
#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace vs
{

class DirListBox;
class DriveListBox;
class DriveNavigator;
class StatusPanel;

// The folder part of a path, up to and including its last "/"; empty when
// it has none.
QByteArray FolderOfPath(const QByteArray &path);

// What the duplicate finder needs beside the common services.
struct Form2Extras {
    // The open-file dialog: returns the chosen file, or an empty text when the
    // user cancels. `current` is the file chosen last (empty for none).
    std::function<QString(QWidget *parent, const QString &current)> openFileDialog = {};
    // Seconds of a monotonic clock.
    std::function<double()> clock = {};
    // The save dialog of "Сохранить список...": the file to write, or an
    // empty text when the user cancels.
    std::function<QString(QWidget *parent)> saveFileDialog = {};
    // The folder chooser of the rule "оставить копии в папке...": the folder,
    // or an empty text when the user cancels.
    std::function<QString(QWidget *parent)> folderDialog = {};
    // A yes/no question (the confirmation before a move): true for yes.
    std::function<bool(QWidget *parent, const QString &text, const QString &title)> ask = {};
};

class Form2 : public QWidget, private DupeSearchListener
{
    Q_OBJECT
  public:
    Form2(const WindowServices &services, Form2Extras extras = {}, QWidget *parent = nullptr);
    ~Form2() override;

    // Shows the window (opening it afresh when it was closed) and brings it
    // to the front.
    void showWindow();
    // The main window is closing: close this one too, after stopping a
    // running search.
    void closeForApp();

    // Commands, public so that tests can drive them. A press of a search
    // button while a search runs only asks that search to stop.
    void startTreeScan();
    void findCopiesOfChosenFile();
    void chooseFileByDialog();
    void showSettingsPanel();
    void applySettingsAndClose();
    void openSelectedFile();
    void openSelectedFolder();
    void copySelectedPath();
    void advanceHourglass();
    // The actions on the list: select the extra copies by a rule (InFolder
    // asks for the folder), clear the selection, move the selected files to
    // the trash after a confirmation, save the list as CSV.
    void selectExtraCopies(KeepRule rule);
    void clearSelection();
    void moveSelectedToTrash();
    void saveList();

    // The searches, their state, the size range and the chosen file.
    const DupeSearch &search() const { return search_; }
    const ChosenFile &chosen() const { return search_.chosenFile(); }
    int lastDriveIndex() const;
    int animFrame() const { return animFrame_; }
    // Label5's whole text (the label shortens it when it lacks room).
    QString checksumLine() const { return checksumText_; }
    // The range of the last "Закрыть", in bytes as the labels showed it.
    double minSizeValue() const { return minSizeValue_; }
    double maxSizeValue() const { return maxSizeValue_; }

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // DupeSearchListener.
    void searchStarted(DupeSearchKind kind) override;
    void stageChanged(Stage stage) override;
    void rowsAdded(const std::vector<DupeRow> &rows) override;
    void rowAdded(const DupeRow &row) override;
    void errorBox(int number, const QString &text, const QString &title) override;
    void pictureStep(int image) override;
    void searchFinished(DupeSearchKind kind, double seconds, int rows) override;

    // The paint-only wait of the work between two yields.
    void paintBetweenYields();
    void buildControls();
    void buildSettingsPanel();
    void setTabOrderOfControls();
    void openAfresh();
    void resetControls();
    void layoutControls();
    void applyIdleStates();
    void showFolderInPanel(const QByteArray &folder);
    void placeByteLabel(QLabel *label);
    void placeChecksumValue();
    void setUpperBoundOn(bool on);
    void showFieldBytes(QLineEdit *field, QLabel *bytesLabel);
    void tidySizeFields();
    void passSizeRangeToSearch();
    int selectedUnit() const;
    QTreeWidgetItem *selectedRow() const;
    void buildListActions();
    std::vector<QTreeWidgetItem *> listItems() const;
    std::vector<ListedFile> listedFiles(const std::vector<QTreeWidgetItem *> &items) const;
    std::vector<bool> selectedMask(const std::vector<QTreeWidgetItem *> &items) const;
    void listChanged();
    void showSpace();
    void dropMovedRows(const std::vector<QTreeWidgetItem *> &items, const std::vector<int> &moved);
    QByteArray selectedPath() const;
    bool takeChosenFile(QString &path);

    WindowServices services_;
    Form2Extras extras_;
    DupeSearch search_;

    // Controls.
    QLineEdit *chosenFileField_ = nullptr;
    QPushButton *browseButton_ = nullptr;
    QLabel *checksumHeading_ = nullptr;
    QLabel *checksumValue_ = nullptr;
    DriveListBox *driveList_ = nullptr;
    QPushButton *settingsButton_ = nullptr;
    QPushButton *scanButton_ = nullptr;
    QPushButton *findCopiesButton_ = nullptr;
    DirListBox *folderList_ = nullptr;
    QTreeWidget *resultList_ = nullptr;
    QStatusBar *statusBar_ = nullptr;
    StatusPanel *folderPanel_ = nullptr;
    StatusPanel *timePanel_ = nullptr; // also shows the hourglass
    StatusPanel *countPanel_ = nullptr;
    StatusPanel *spacePanel_ = nullptr;
    QGroupBox *settingsPanel_ = nullptr;
    QLineEdit *minField_ = nullptr;
    QLabel *minBytesLabel_ = nullptr;
    QLabel *maxHeading_ = nullptr;
    QCheckBox *useMaxCheck_ = nullptr;
    QLineEdit *maxField_ = nullptr;
    QLabel *maxBytesLabel_ = nullptr;
    QRadioButton *unitButtons_[4] = {}; // bytes, KiB, MiB, GiB
    QPushButton *closeSettingsButton_ = nullptr;
    QTimer *hourglassTimer_ = nullptr;
    QMenu *rowMenu_ = nullptr;
    QAction *openFileAction_ = nullptr;
    QAction *openFolderAction_ = nullptr;
    QAction *copyPathAction_ = nullptr;
    QMenu *selectMenu_ = nullptr;
    QAction *clearSelectionAction_ = nullptr;
    QAction *trashAction_ = nullptr;
    QAction *saveListAction_ = nullptr;
    DriveNavigator *navigator_ = nullptr;

    // State of the view.
    bool opened_ = false;
    bool firstOpening_ = true;
    double minSizeValue_ = 0.0;
    double maxSizeValue_ = 0.0;
    bool useMaxSize_ = false;
    int animFrame_ = 0;
    QString processedText_;
    DupeSearchKind listKind_ = DupeSearchKind::TreeScan; // the search that filled the list
    QElapsedTimer statusPainted_;                        // paintBetweenYields drew the status bar
    bool listMarked_ = false;                    // rowsAdded gave the rows their marks and space already
    ByteCount reclaimable_;                      // of the whole list, for the space panel
    QString spaceNote_;                          // the folder rule's count of groups it left alone
    QString checksumText_ = QStringLiteral("0"); // shown shortened when it lacks room
    // A path copied from the list, kept as bytes while Text1 shows it.
    QString copiedText_;
    QByteArray copiedPath_;
    // The bytes of the path takeChosenFile is about to take, when known.
    QByteArray pendingPath_;
};

} // namespace vs
