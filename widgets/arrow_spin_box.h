#pragma once

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QWheelEvent>

// Screen readers get the game's spin boxes with increase and decrease actions that step
// them as their arrows do; Qt's own spin boxes offer none. Called by their constructors.
void announceSpinBoxSteps();

// A spin box the player changes with its arrows only: nothing can be typed into it. Qt steps
// a spin box by ten for Page Up and Page Down and for the wheel with Ctrl; the game's spin
// boxes move by one whatever the key or modifier.
template <class SpinBox> class ArrowsOnly : public SpinBox {
public:
    explicit ArrowsOnly(QWidget *parent)
        : SpinBox(parent) {
        announceSpinBoxSteps();
        this->lineEdit()->setReadOnly(true);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() != Qt::Key_PageUp && event->key() != Qt::Key_PageDown) {
            SpinBox::keyPressEvent(event);
            return;
        }
        this->stepBy(event->key() == Qt::Key_PageUp ? 1 : -1);
        event->accept();
    }

    void wheelEvent(QWheelEvent *event) override {
        QWheelEvent plain(event->position(), event->globalPosition(), event->pixelDelta(),
                          event->angleDelta(), event->buttons(),
                          event->modifiers() & ~Qt::ControlModifier, event->phase(),
                          event->inverted(), event->source(), event->pointingDevice());
        SpinBox::wheelEvent(&plain);
        event->setAccepted(plain.isAccepted());
    }
};

// The begging's hours. It takes the keyboard's focus, and its arrow keys step it as its
// arrow buttons do.
class ArrowSpinBox : public ArrowsOnly<QSpinBox> {
    Q_OBJECT
public:
    explicit ArrowSpinBox(QWidget *parent = nullptr);
};
