// The duplicate finder window "Дубликтор файлов". It hosts the two searches
// of the duplicate engine: the tree scan (Command4, groups of equal files
// below the highlighted folder) and the search for copies of one chosen file
// (Command2). Both run on this thread inside the click and yield to the event
// loop once per directory entry; the button that started a search reads
// "Отмена" meanwhile and only asks the search to stop. Closing the window
// during a search is held back until the search has wound down.
//
// The program keeps one window object for the run (see ProgramWindows): the
// size range of the settings panel and the animation counter survive closing
// and reopening, while the controls start afresh at every opening.
#pragma once

#include "dupes/engine/DupeHost.h"
#include "dupes/engine/FileWalk.h"
#include "util/Errors.h"
#include "widgets/WindowServices.h"

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

namespace vs {

class DirListBox;
class DriveListBox;
class DriveNavigator;
class EventYield;
class FileSystem;
class MessageBoxes;
class MountTable;
class Shell;
class StatusPanel;

// The folder part of a path, up to and including its last "/"; empty when
// it has none.
QByteArray FolderOfPath(const QByteArray &path);

struct Form2Services {
    FileSystem &fs;
    MountTable &mounts;
    Shell &shell;
    MessageBoxes &boxes;
    EventYield &yield;
    // The open-file dialog: returns the chosen file, or an empty text when the
    // user cancels. `current` is the file chosen last (empty for none).
    std::function<QString(QWidget *parent, const QString &current)> openFileDialog = {};
    // Seconds of a monotonic clock.
    std::function<double()> clock = {};
};

// What the window takes besides the shared services; both default to the real ones.
struct Form2Extras {
    std::function<QString(QWidget *parent, const QString &current)> openFileDialog = {};
    std::function<double()> clock = {};
};

class Form2 : public QWidget, public DupeHost {
    Q_OBJECT
public:
    explicit Form2(const WindowServices &services, Form2Extras extras = {}, QWidget *parent = nullptr);
    explicit Form2(const Form2Services &services, QWidget *parent = nullptr);
    ~Form2() override;

    // Shows the window (opening it afresh when it was closed) and brings it
    // to the front.
    void showWindow();
    // The main window is closing: close this one too, after stopping a
    // running search.
    void closeForApp();

    // Commands and handlers, public so that tests can drive them.
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void PickChosenFile();
    bool ProcessChosenFile(QString &path);
    void ShowFieldBytes(int field); // 2 for Text2/Label9, 3 for Text3/Label10
    void ApplySizeRange();
    void OpenSelectedFile();
    void OpenSelectedFolder();
    void CopySelectedPath();
    void Timer1_Timer();

    // Window state.
    bool isScanRunning() const { return scanRunning_; }
    bool closeRequested() const { return closeRequested_; }
    bool searching() const { return busy_ != Busy::None; }
    int lastDriveIndex() const;
    int animFrame() const { return animFrame_; }
    const ChosenFile &chosen() const { return chosen_; }
    // Label5's whole text (the label shortens it when it lacks room).
    QString checksumLine() const { return label5Text_; }
    // Files collected so far by the running (or the last) tree scan.
    int collectedCount() const { return files_.fileCount(); }
    // The range of the last "Закрыть", in bytes as the labels showed it.
    double minSizeValue() const { return minSizeValue_; }
    double maxSizeValue() const { return maxSizeValue_; }

    // DupeHost.
    void yield() override;
    bool scanRunning() const override { return scanRunning_; }
    int useMaxSize() const override;
    ByteCount minSizeBytes() const override;
    ByteCount maxSizeBytes() const override;
    void showError(int number, const QString &text, const QString &title) override;
    void stepPicture(int image) override;
    const ChosenFile &chosenFile() const override { return chosen_; }
    void addRow(const DupeRow &row) override;
    bool contentProgress(int64_t bytesDone, int64_t bytesTotal) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showScanError(const VsError &e);
    enum class Busy { None, TreeScan, OneFile };

    void buildControls();
    void buildSettingsPanel();
    void setTabOrderOfControls();
    void openAfresh();
    void resetControls();
    void layoutControls();
    void applyIdleStates();
    void setPanel(int panel, const QString &text);
    void placeByteLabel(QLabel *label);
    void placeLabel5();
    void setCheck1(bool on);
    int selectedUnit() const;
    QTreeWidgetItem *selectedRow() const;
    static QTreeWidgetItem *makeRow(const DupeRow &row);
    QByteArray selectedPath() const;
    void showContextMenu(const QPoint &globalPos);
    void finishSearch();
    double now() const;

    Form2Services services_;

    // Controls.
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    DriveListBox *Drive1 = nullptr;
    QLabel *Label6 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command2 = nullptr;
    DirListBox *Dir1 = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    StatusPanel *panels_[3] = {};
    QGroupBox *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label7 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label12 = nullptr;
    QRadioButton *Option1[4] = {};
    QPushButton *Command5 = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *m_mnu = nullptr;
    QAction *m_open[3] = {};
    DriveNavigator *navigator_ = nullptr;

    // State.
    bool scanRunning_ = false;
    bool closeRequested_ = false;
    Busy busy_ = Busy::None;
    bool opened_ = false;
    bool firstOpening_ = true;
    double minSizeValue_ = 0.0;
    double maxSizeValue_ = 0.0;
    int useMaxSize_ = 0;
    int animFrame_ = 0;
    ChosenFile chosen_;
    QString processedText_;
    QString label5Text_ = QStringLiteral("0"); // shown shortened when it lacks room
    // A path copied from the list, kept as bytes while Text1 shows it.
    QString copiedText_;
    QByteArray copiedPath_;
    // The bytes of the path ProcessChosenFile is about to take, when known.
    QByteArray pendingPath_;
    FileCollection files_;
};

} // namespace vs
