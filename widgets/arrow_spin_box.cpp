#include "widgets/arrow_spin_box.h"

#include "desktop/screen_reader.h"

#include <QAccessibleWidget>
#include <QLineEdit>

namespace {

// Steps and values go through stepBy, so the bounds and the market's quirk of a value
// above its maximum hold for a screen reader as for the arrows. The text is the number
// shown, read-only as the box itself.
class SpinBoxAccessible : public QAccessibleWidget,
                          public QAccessibleValueInterface,
                          public ReadOnlyText {
public:
    explicit SpinBoxAccessible(QAbstractSpinBox *box)
        : QAccessibleWidget(box, QAccessible::SpinBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QStringList actionNames() const override {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override {
        if (name == increaseAction())
            step(1);
        else if (name == decreaseAction())
            step(-1);
        else
            QAccessibleWidget::doAction(name);
    }

    QVariant currentValue() const override { return box()->property("value"); }
    void setCurrentValue(const QVariant &value) override {
        step(value.toInt() - currentValue().toInt());
    }
    QVariant maximumValue() const override { return box()->property("maximum"); }
    QVariant minimumValue() const override { return box()->property("minimum"); }
    QVariant minimumStepSize() const override { return 1; }

    QString shown() const override { return box()->findChild<QLineEdit *>()->text(); }

private:
    QAbstractSpinBox *box() const { return static_cast<QAbstractSpinBox *>(widget()); }
    void step(int steps) const {
        if (box()->isEnabled() && steps != 0)
            box()->stepBy(steps);
    }
};

QAccessibleInterface *spinBoxAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("ArrowSpinBox") || className == QLatin1String("QuantitySpinBox"))
        return new SpinBoxAccessible(static_cast<QAbstractSpinBox *>(object));
    return nullptr;
}

} // namespace

ArrowSpinBox::ArrowSpinBox(QWidget *parent)
    : ArrowsOnly<QSpinBox>(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void announceSpinBoxSteps() {
    static const bool installed = (QAccessible::installFactory(spinBoxAccessible), true);
    Q_UNUSED(installed);
}
