#include "activities/quantity_spin_box.h"

#include <QLineEdit>
#include <algorithm>

QuantitySpinBox::QuantitySpinBox(QWidget *parent)
    : ArrowsOnly<QAbstractSpinBox>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignRight);
    lineEdit()->setText(QString::number(value_));
}

// A bag smaller than one unit (possible only from a saved game) still lets one unit move.
void QuantitySpinBox::setMaximum(int maximum) {
    maximum_ = std::max(maximum, Minimum);
    update();
}

void QuantitySpinBox::setValue(int value) {
    show(std::clamp(value, Minimum, maximum_));
}

void QuantitySpinBox::stepBy(int steps) {
    if (value_ > maximum_)
        show(maximum_);
    else
        show(static_cast<int>(
            std::clamp<long long>(static_cast<long long>(value_) + steps, Minimum, maximum_)));
}

QAbstractSpinBox::StepEnabled QuantitySpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value_ != maximum_)
        enabled |= StepUpEnabled;
    if (value_ > Minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

void QuantitySpinBox::show(int value) {
    if (value == value_)
        return;
    value_ = value;
    lineEdit()->setText(QString::number(value_));
    Q_EMIT valueChanged(value_);
}
