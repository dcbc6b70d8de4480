#include "StatusPanel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vs
{

StatusPanel::StatusPanel(const QString &name, int minimumPixels, QWidget *parent)
    : QFrame(parent), icon_(new QLabel(this)), label_(new QLabel(this))
{
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumWidth(minimumPixels);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(3);
    icon_->setFixedSize(16, 16);
    icon_->hide();
    row->addWidget(icon_);
    row->addWidget(label_, 1);
    // Long paths must not push the other panels off the bar.
    label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString StatusPanel::text() const
{
    return text_;
}

void StatusPanel::setText(const QString &text)
{
    text_ = text;
    showText();
}

void StatusPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    showText();
}

void StatusPanel::keepTextWhole()
{
    keepWhole_ = true;
    showText();
}

void StatusPanel::showText()
{
    // A screen reader reads the whole text, shortened on screen or not.
    label_->setAccessibleName(text_);
    if (keepWhole_) {
        const QMargins frame = contentsMargins() + layout()->contentsMargins();
        int needed = frame.left() + frame.right() + 2 * label_->margin() +
                     label_->fontMetrics().horizontalAdvance(text_) + 2;
        if (!picture_.isNull())
            needed += icon_->width() + layout()->spacing();
        if (minimumWidth() < needed)
            setMinimumWidth(needed);
    }
    const int room = label_->width();
    const QString shown = room > 0 ? label_->fontMetrics().elidedText(text_, Qt::ElideMiddle, room) : text_;
    label_->setText(shown);
    label_->setToolTip(shown == text_ ? QString() : text_);
}

void StatusPanel::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    icon_->setPixmap(picture);
    icon_->setVisible(!picture.isNull());
    if (keepWhole_)
        showText();
}

} // namespace vs
