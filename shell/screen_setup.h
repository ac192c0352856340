#pragma once

#include <QColor>
#include <QSize>
#include <QString>

class QWidget;

// The pale olive of every activity screen, the death screen and the save screen.
inline const QColor ScreenOlive(199, 213, 170);

// A fixed-size dialog window without title-bar buttons, so that its own buttons are the
// only way to leave it; client area of the given size, centred on the screen.
void makeDialogScreen(QWidget *screen, const QString &caption, QSize clientSize,
                      const QColor &background = ScreenOlive);
// The screens have no close box: a close asked for by the window manager (Alt+F4) is
// refused, so the screen's own buttons stay the only way out and no game window is lost.
void refuseWindowClose(QWidget *screen);
void setBackground(QWidget *widget, const QColor &colour);
void centreOnScreen(QWidget *screen);
