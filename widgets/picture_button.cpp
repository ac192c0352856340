#include "widgets/picture_button.h"

#include <QPainter>

PictureButton::PictureButton(QWidget *parent)
    : QPushButton(parent) {}

void PictureButton::setPicture(const QPixmap &picture) {
    picture_ = picture;
    update();
}

void PictureButton::paintEvent(QPaintEvent *event) {
    QPushButton::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QSize size = picture_.deviceIndependentSize().toSize();
    const int margin = (height() - size.height()) / 2;
    painter.drawPixmap(width() - size.width() - qMax(margin, 4), margin, picture_);
}
