#pragma once

class QWidget;

// The main window, which every activity screen returns to: the shell names it once it is made,
// so the screens below it need not know its class.
QWidget *mainScreen();
void setMainScreen(QWidget *screen);
