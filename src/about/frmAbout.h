// The About window: the program's name, version and description, the contact
// addresses, the main window's function keys and the legend of the list's
// colour bands. It is a small fixed tool window without a task-bar entry that
// the main window shows without modality. It deletes itself when closed;
// ProgramWindows keeps it to one at a time.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vs
{

class ColourLegend;

class frmAbout : public QDialog
{
    Q_OBJECT
  public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    static QString versionText();
    static QString descriptionText();
    static QString disclaimerText();

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    void load();
    void fitTexts();

    QLabel *icon_;          // picIcon
    QLabel *title_;         // lblTitle
    QLabel *version_;       // lblVersion
    QLabel *description_;   // lblDescription
    QLabel *disclaimer_;    // lblDisclaimer
    QPushButton *okButton_; // cmdOK
    QLineEdit *email_;      // Text1
    QLineEdit *website_;    // Text2
    ColourLegend *legend_;  // Picture1
};

} // namespace vs
