#include "shell/screens.h"

TForm1 *Form1 = nullptr;
TForm2 *Form2 = nullptr;
TForm3 *Form3 = nullptr;
TForm4 *Form4 = nullptr;
TForm5 *Form5 = nullptr;
TForm6 *Form6 = nullptr;
TForm7 *Form7 = nullptr;
TForm8 *Form8 = nullptr;
TForm9 *Form9 = nullptr;
TForm10 *Form10 = nullptr;
TForm11 *Form11 = nullptr;
TForm12 *Form12 = nullptr;
Tgameend *gameend = nullptr;

namespace {
QList<QWidget *> created;
} // namespace

QList<QWidget *> gameScreens() {
    return created;
}

void noteGameScreen(QWidget *screen) {
    created << screen;
}

void forgetGameScreens() {
    created.clear();
}
