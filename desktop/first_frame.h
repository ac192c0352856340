#pragma once

#include <QList>
#include <functional>

class QWidget;

// What the title does not need waits, so that the player sees it sooner and the game holds
// less memory: hidden screens are polished when first shown, pictures decoded when first
// drawn, and the rest of start-up done once the title's first frame is on the screen.

// Runs job just before screen is first polished: when it is first shown or grabbed. A
// screen already polished runs it at once.
void whenPolished(QWidget *screen, std::function<void()> job);

// Runs job just before widget is first painted, on the screen or into a grab.
void whenFirstPainted(QWidget *widget, std::function<void()> job);

// Takes back the polish that Qt queues for each new widget of the hidden screens, so that
// none is polished before it is shown. Once the title has drawn its first frame (or after
// a second without one, where a desktop keeps it from being drawn) runs then().
void holdUntilFirstFrame(QWidget *title, const QList<QWidget *> &hidden,
                         std::function<void()> then);
