#include "activities/canteen.h"

#include "core/character_state.h"
#include "shell/main_window.h"
#include "shell/screen_setup.h"
#include "shell/services.h"

TForm8::TForm8(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Form8"));
    makeDialogScreen(this, QStringLiteral("Столовая"), QSize(330, 220));
    FormCreate();
}

void TForm8::FormCreate() {
    Character.AppDir = services().programFolder();
    MediaPlayer1.bind(appFile(Character, QStringLiteral("4.wav")));
}

void TForm2::Button1Click() {}
