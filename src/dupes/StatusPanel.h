// One panel of the duplicate finder's status bar: a sunken box with an
// optional 16 x 16 picture before its text. A text too long for the panel
// (a deep folder path) is shortened in the middle; the tool tip has it whole.
// A panel told to keep its texts whole grows instead.
#pragma once

#include <QFrame>
#include <QPixmap>

class QLabel;

namespace vs
{

class StatusPanel : public QFrame
{
    Q_OBJECT
  public:
    StatusPanel(const QString &name, int minimumPixels, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // A null pixmap removes the picture.
    void setPicture(const QPixmap &picture);
    // From now on the panel widens to every text it shows (and stays at
    // least that wide, so the bar does not jump from text to text).
    void keepTextWhole();
    QPixmap picture() const { return picture_; }

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void showText();

    QLabel *icon_;
    QLabel *label_;
    QPixmap picture_;
    QString text_;
    bool keepWhole_ = false;
};

} // namespace vs
