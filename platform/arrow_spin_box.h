#pragma once

#include <QSpinBox>
#include <QWheelEvent>

class QAbstractSpinBox;
class QKeyEvent;

// A spin box the player changes with its arrows only: nothing can be typed into it. It
// takes the keyboard's focus, and its arrow keys step it as its arrow buttons do.
class ArrowSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit ArrowSpinBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};

// Qt steps a spin box by ten for Page Up and Page Down and for the wheel with Ctrl; the
// game's spin boxes move by one whatever the key or modifier.
// Steps the box by one for Page Up or Page Down and returns true; false for other keys.
bool stepOnePage(QAbstractSpinBox *box, QKeyEvent *event);
// The same turn of the wheel without the modifier that makes Qt step by ten.
QWheelEvent withoutStepModifier(const QWheelEvent &event);
// Screen readers get the game's spin boxes with increase and decrease actions that step
// them as their arrows do; Qt's own spin boxes offer none. Called by their constructors.
void announceSpinBoxSteps();
