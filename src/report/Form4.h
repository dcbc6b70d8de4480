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

namespace vs {

// The main window's print fields, exchanged with the dialog.
struct PrintFields {
    QString titles1;      // heading 1, normal weight
    QString titles2;      // heading 2, normal weight
    QString titles3;      // heading 3, bold
    QString nam_files;    // name of the copy, no folder or extension; empty: no copy
    bool flag_printer = false; // the dialog was confirmed with "Печать"
};

// "dir_" and the date as MM-DD-YYYY.
QString DefaultReportName(const QDate &date);

class Form4 : public QDialog {
    Q_OBJECT
public:
    // `today` fills the file name box; an invalid date means the current one.
    explicit Form4(PrintFields &fields, const QDate &today = {}, QWidget *parent = nullptr);

    // Control arrays by index; each control's objectName is its array name and
    // its "index" property its index.
    QPlainTextEdit *text1(int index) const { return text1_[index]; }
    QLabel *label1(int index) const { return label1_[index]; }
    QPushButton *command1(int index) const { return command1_[index]; }
    QLineEdit *text2() const { return text2_; }

public slots:
    // 0 "Печать": copies the boxes into the fields and confirms; any other
    // index "Отмена": clears the fields. Either way the dialog closes.
    void Command1_Click(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    PrintFields &fields_;
    QPlainTextEdit *text1_[3] = {};
    QLabel *label1_[4] = {};
    QPushButton *command1_[2] = {};
    QLineEdit *text2_ = nullptr;
};

} // namespace vs
