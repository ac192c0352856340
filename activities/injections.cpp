#include "activities/injections.h"

#include "shell/main_window.h"
#include "shell/screen_setup.h"
#include "shell/services.h"

#include <QDir>

TForm9::TForm9(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form9"));
    makeDialogScreen(this, QStringLiteral("Уколы"), QSize(340, 170));
    FormCreate();
}

// Builds the path from the program folder without storing it in the record.
void TForm9::FormCreate() {
    MediaPlayer1.bind(services().programFolder() + QDir::separator() + QStringLiteral("5.wav"));
}

void TForm2::Button2Click() {}
