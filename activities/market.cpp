#include "activities/market.h"

#include "shell/main_window.h"
#include "shell/screen_setup.h"

TForm6::TForm6(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form6"));
    makeDialogScreen(this, QStringLiteral("Рынок"), QSize(460, 330));
}

void TForm2::Button6Click() {}
