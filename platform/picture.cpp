#include "platform/picture.h"

#include <QKeyEvent>
#include <QMouseEvent>

Picture::Picture(QWidget *parent)
    : QLabel(parent) {}

// Taking the press makes the release come here rather than to whatever lies below.
void Picture::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QLabel::mousePressEvent(event);
}

void Picture::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void Picture::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    Q_EMIT clicked();
}
