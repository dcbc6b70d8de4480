// Notes the quit event the toolkit posts when the last window that keeps the
// program running has closed.
#pragma once

#include <QEvent>
#include <QObject>

namespace vs::test
{

class QuitWatch : public QObject
{
  public:
    bool seen = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Quit)
            seen = true;
        return false;
    }
};

} // namespace vs::test
