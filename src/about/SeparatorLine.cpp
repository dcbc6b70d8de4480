#include "SeparatorLine.h"

#include "widgets/Twips.h"

#include <QPainter>

namespace vs
{

SeparatorLine::SeparatorLine(QWidget *parent, double x1, double x2, double y, QColor colour)
    : QWidget(parent), colour_(colour)
{
    setGeometry(Px(x1), Px(y), Px(x2) - Px(x1), 1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SeparatorLine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), colour_);
}

} // namespace vs
