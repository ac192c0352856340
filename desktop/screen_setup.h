#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <initializer_list>
#include <utility>

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
// Played by keyboard: each time the screen is shown, once the handler that showed it has
// set it up, its first usable control takes the focus; Enter presses the focused button
// or radio button as Space does. firstArea, when given, picks the part of the screen
// whose first control counts (the main window's current page).
void playByKeyboard(QWidget *screen, QWidget *(*firstArea)(QWidget *screen) = nullptr);
// Focuses the first visible, enabled control of area in its window's tab order; with
// none, an area inside the window takes the focus itself, and a whole window keeps none,
// so no control of another arrangement stays focused.
void focusFirstControl(QWidget *area);
// Sets the controls' enabled flags, the enabled first. Were the focus on a control now
// disabled, it goes to the first of them left enabled, else to holder: Qt would pass it on
// along the window's Tab chain, to "НАЗАД", "▁" or an action the player did not choose, which
// his next Space would press.
void setEnabledFlags(std::initializer_list<std::pair<QWidget *, bool>> flags, QWidget *holder);
void setBackground(QWidget *widget, const QColor &colour);
// Centred on its screen's free area; a screen larger than that keeps its top left, with the
// title and the menu, on it.
void centreOnScreen(QWidget *screen);
// Brings a window's frame back inside its screen's free area, the title bar first, where it
// stands partly off; one inside stays put.
void bringOntoScreen(QWidget *window);
// From now on, whenever a screen changes or goes (a monitor unplugged, a resolution changed),
// every window of the game, shown or still to be shown, is brought back onto its screen.
void followScreenChanges();
// The X11 window class of every window made from now on: the instance, by which GNOME finds
// the desktop entry, and the class, which it shows for a window without one. X carries both
// in Latin-1, which Qt's class, the application's own name, would not fit.
void useWindowClass(const QString &instance, const QString &className);
// Minimises a screen whose frame has no buttons. mutter refuses to minimise an X11 window whose
// Motif hints withhold the minimise function, as Qt's hints for such a frame do; so the
// function is granted, with no button drawn for it, until the screen is back.
void minimiseScreen(QWidget *screen);

// Qt marks a window that it minimises to start iconic, and keeps the mark when the window
// manager restores the window; mapped again after a hide, the window would come up iconic
// and unseen. Marks the window to start normal again, on X11.
void startNormalWhenMapped(QWidget *window);
