// Image1, the thin handle between the left panel and the list. It shows a
// cursor of its own and reports presses and moves in twips inside itself;
// while a button is held it keeps receiving moves outside its bounds.
#pragma once

#include <QFrame>

namespace vs
{

class Divider : public QFrame
{
    Q_OBJECT
  public:
    explicit Divider(QWidget *parent = nullptr);
    // The cursor shown over the divider: a 32 x 32 picture, hot spot 15, 15.
    static QCursor dividerCursor();

  signals:
    // x is the pointer's horizontal position inside the divider, in twips.
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x);
    void moved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, double x);

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

} // namespace vs
