#include "Form4.h"

#include "widgets/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace vs
{

QString DefaultReportName(const QDate &date)
{
    return QStringLiteral("dir_") + date.toString(QStringLiteral("MM-dd-yyyy"));
}

Form4::Form4(PrintFields &fields, const QDate &today, QWidget *parent) : QDialog(parent), fields_(fields)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Печать"));
    setFixedSize(Px(7905), Px(4440));
    setModal(true);

    static const char16_t *const kLabels[] = {u"Заголовок 1", u"Заголовок 2", u"Заголовок 3", u"Имя файла"};
    static const int kLabelRects[4][4] = {
        {60, 45, 945, 195}, {60, 1155, 945, 195}, {60, 2295, 945, 195}, {90, 3570, 855, 195}};
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(QString::fromUtf16(kLabels[i]), this);
        label->setObjectName(QStringLiteral("Label1"));
        label->setProperty("index", i);
        const int *r = kLabelRects[i];
        // The captions were sized for a narrower system font; never clip them.
        QRect rect = TwRect(r[0], r[1], r[2], r[3]);
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
        label->setGeometry(rect);
        captions_[i] = label;
    }

    static const int kTextTops[] = {270, 1395, 2535};
    for (int i = 0; i < 3; ++i) {
        auto *box = new QPlainTextEdit(this);
        box->setObjectName(QStringLiteral("Text1"));
        box->setProperty("index", i);
        box->setGeometry(TwRect(15, kTextTops[i], 7875, 840));
        // Tab moves on to the next control, as in any form.
        box->setTabChangesFocus(true);
        box->setAccessibleName(captions_[i]->text());
        captions_[i]->setBuddy(box);
        headingBoxes_[i] = box;
    }

    copyNameBox_ = new QLineEdit(this);
    copyNameBox_->setObjectName(QStringLiteral("Text2"));
    copyNameBox_->setGeometry(TwRect(1095, 3510, 3705, 330));
    copyNameBox_->setText(DefaultReportName(today.isValid() ? today : QDate::currentDate()));
    copyNameBox_->setAccessibleName(captions_[3]->text());
    copyNameBox_->setAccessibleDescription(QStringLiteral("Имя копии отчёта (.htm); пустое имя — без копии"));
    captions_[3]->setBuddy(copyNameBox_);
    // A caption wider than designed moves left, up to the window's edge, to
    // keep clear of its field; only then does the field give way.
    QLabel *nameCaption = captions_[3];
    constexpr int kGap = 3;
    if (nameCaption->geometry().right() + kGap >= copyNameBox_->x())
        nameCaption->move(std::max(0, copyNameBox_->x() - kGap - nameCaption->width()), nameCaption->y());
    if (const int left = nameCaption->geometry().right() + kGap + 1; copyNameBox_->x() < left)
        copyNameBox_->setGeometry(
            QRect(QPoint(left, copyNameBox_->y()), copyNameBox_->geometry().bottomRight()));

    static const char16_t *const kButtons[] = {u"Печать", u"Отмена"};
    static const int kButtonLefts[] = {1972, 4087};
    for (int i = 0; i < 2; ++i) {
        auto *button = new QPushButton(QString::fromUtf16(kButtons[i]), this);
        button->setObjectName(QStringLiteral("Command1"));
        button->setProperty("index", i);
        button->setGeometry(TwRect(kButtonLefts[i], 3960, 1845, 360));
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this,
                i == 0 ? &Form4::acceptHeadings : &Form4::discardHeadings);
        buttons_[i] = button;
    }

    // heading 1, "Печать", heading 2, heading 3, file name, "Отмена"
    setTabOrder(headingBoxes_[0], buttons_[0]);
    setTabOrder(buttons_[0], headingBoxes_[1]);
    setTabOrder(headingBoxes_[1], headingBoxes_[2]);
    setTabOrder(headingBoxes_[2], copyNameBox_);
    setTabOrder(copyNameBox_, buttons_[1]);
    headingBoxes_[0]->setFocus();
}

void Form4::acceptHeadings()
{
    fields_.heading1 = headingBoxes_[0]->toPlainText();
    fields_.heading2 = headingBoxes_[1]->toPlainText();
    fields_.heading3 = headingBoxes_[2]->toPlainText();
    fields_.copyName = copyNameBox_->text();
    fields_.confirmed = true;
    accept();
}

void Form4::discardHeadings()
{
    fields_.heading1.clear();
    fields_.heading2.clear();
    fields_.heading3.clear();
    fields_.copyName.clear();
    fields_.confirmed = false;
    reject();
}

void Form4::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept(); // no cancel button: Escape does nothing
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the focused button, like Space; elsewhere nothing.
        for (QPushButton *button : buttons_) {
            if (button->hasFocus()) {
                button->click();
                return;
            }
        }
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace vs
