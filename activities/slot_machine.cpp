#include "activities/slot_machine.h"

#include "shell/main_window.h"
#include "shell/screen_setup.h"

TForm11::TForm11(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form11"));
    makeDialogScreen(this, QStringLiteral("Игровой автомат \"Крутифрукт\""), QSize(320, 290));
}

void TForm2::Button7Click() {}
