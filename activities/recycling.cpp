#include "activities/recycling.h"

#include "shell/screen_setup.h"

TForm7::TForm7(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form7"));
    makeDialogScreen(this, QStringLiteral("Мусор сдан"), QSize(329, 180));
}
