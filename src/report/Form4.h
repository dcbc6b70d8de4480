// The print set-up dialog: three heading boxes and the name of the lasting
// copy. Its buttons write the main window's print fields and close it; the
// window's close box writes nothing. Enter and Escape have no dialog-wide
// meaning here: neither button is the default or the cancel button.
#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vs
{

// The main window's print fields, exchanged with the dialog.
struct PrintFields {
    QString heading1;       // normal weight
    QString heading2;       // normal weight
    QString heading3;       // bold
    QString copyName;       // name of the copy, no folder or extension; empty: no copy
    bool confirmed = false; // the dialog was confirmed with "Печать"
};

// "dir_" and the date as MM-DD-YYYY.
QString DefaultReportName(const QDate &date);

class Form4 : public QDialog
{
    Q_OBJECT
  public:
    // `today` fills the file name box; an invalid date means the current one.
    explicit Form4(PrintFields &fields, const QDate &today = {}, QWidget *parent = nullptr);

    // Control arrays by index; each control's objectName is its array name and
    // its "index" property its index.
    QPlainTextEdit *headingBox(int index) const { return headingBoxes_[index]; }
    QLabel *caption(int index) const { return captions_[index]; }
    QPushButton *button(int index) const { return buttons_[index]; }
    QLineEdit *copyNameBox() const { return copyNameBox_; }

  public slots:
    // "Печать": copies the boxes into the fields and confirms.
    void acceptHeadings();
    // "Отмена": clears the fields. Either way the dialog closes.
    void discardHeadings();

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    PrintFields &fields_;
    QPlainTextEdit *headingBoxes_[3] = {};
    QLabel *captions_[4] = {};
    QPushButton *buttons_[2] = {};
    QLineEdit *copyNameBox_ = nullptr;
};

} // namespace vs
