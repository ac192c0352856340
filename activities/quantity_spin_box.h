#pragma once

#include "widgets/arrow_spin_box.h"

// The market's quantity: changed by its arrows only, between 1 and the bag's capacity.
// Lowering the maximum leaves a larger value standing until the player next steps it;
// that step brings it to the maximum.
class QuantitySpinBox : public ArrowsOnly<QAbstractSpinBox> {
    Q_OBJECT
    // Screen readers read the quantity and its bounds through these.
    Q_PROPERTY(int value READ value NOTIFY valueChanged)
    Q_PROPERTY(int minimum READ minimum CONSTANT)
    Q_PROPERTY(int maximum READ maximum)
public:
    explicit QuantitySpinBox(QWidget *parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    int minimum() const { return Minimum; }
    int maximum() const { return maximum_; }
    void setMaximum(int maximum);

    void stepBy(int steps) override;

Q_SIGNALS:
    void valueChanged(int value);

protected:
    StepEnabled stepEnabled() const override;

private:
    void show(int value);

    static constexpr int Minimum = 1;
    int value_ = Minimum;
    int maximum_ = 3;
};
