#pragma once

#include <QSpinBox>

// A spin box the player changes with its arrows only: nothing can be typed into it.
class ArrowSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit ArrowSpinBox(QWidget *parent = nullptr);
};
