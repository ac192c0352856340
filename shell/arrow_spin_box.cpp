#include "shell/arrow_spin_box.h"

#include <QLineEdit>

ArrowSpinBox::ArrowSpinBox(QWidget *parent)
    : QSpinBox(parent) {
    lineEdit()->setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
}
