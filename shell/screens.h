#pragma once

#include <QList>

class QWidget;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class Tgameend;

// The thirteen screens, created once at start-up and reachable from every handler.
extern TForm1 *Form1;
extern TForm2 *Form2;
extern TForm3 *Form3;
extern TForm4 *Form4;
extern TForm5 *Form5;
extern TForm6 *Form6;
extern TForm7 *Form7;
extern TForm8 *Form8;
extern TForm9 *Form9;
extern TForm10 *Form10;
extern TForm11 *Form11;
extern TForm12 *Form12;
extern Tgameend *gameend;

// The screens in their order of creation; empty before creation and after destruction.
QList<QWidget *> gameScreens();
// Each screen as it is created, in order; forgotten when they are destroyed.
void noteGameScreen(QWidget *screen);
void forgetGameScreens();
