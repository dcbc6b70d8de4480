// One line of an etched separator: a grey line with a white one a pixel
// below it makes a groove on the button-face ground.
#pragma once

#include <QColor>
#include <QWidget>

namespace vs
{

class SeparatorLine : public QWidget
{
    Q_OBJECT
  public:
    // A horizontal line from (x1, y) to (x2, y), in twips of the parent.
    SeparatorLine(QWidget *parent, double x1, double x2, double y, QColor colour);
    QColor colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QColor colour_;
};

} // namespace vs
