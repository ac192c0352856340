#include "persistence/save_screen.h"

#include "shell/main_window.h"
#include "shell/screen_setup.h"

TForm12::TForm12(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form12"));
    makeDialogScreen(this, QStringLiteral("Сохранить"), QSize(260, 110));
}

void TForm2::N2Click() {}
void TForm2::N3Click() {}
