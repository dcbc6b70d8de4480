// The About window: the program's name, version and description, the contact
// addresses, the main window's function keys and the legend of the list's
// colour bands. It is a small fixed tool window without a task-bar entry that
// the main window shows without modality; there is never more than one.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vs {

class ColourLegend;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Shows the one About window, creating it when none is open, and brings
    // it forward. The window deletes itself when closed.
    static frmAbout *showSingle();
    // The open About window, or nullptr.
    static frmAbout *instance();

    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    static QString versionText();
    static QString descriptionText();
    static QString disclaimerText();

private:
    void load();
    void fitTexts();

    QLabel *picIcon_;
    QLabel *lblTitle_;
    QLabel *lblVersion_;
    QLabel *lblDescription_;
    QLabel *lblDisclaimer_;
    QPushButton *cmdOK_;
    QLineEdit *Text1_;
    QLineEdit *Text2_;
    ColourLegend *Picture1_;
};

} // namespace vs
