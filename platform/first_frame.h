#pragma once

#include <QList>
#include <functional>

class QWidget;

// What the title does not need waits until its first frame is on the screen, so that the
// player sees it sooner: polishing the screens still hidden, decoding their pictures,
// starting the sound output.

// Runs job just before screen is first polished: when it is shown or grabbed, or when the
// hidden screens are polished after the title's first frame. A screen already polished
// runs it at once.
void whenPolished(QWidget *screen, std::function<void()> job);

// Takes back the polish that Qt queues for each new widget of the hidden screens. Once the
// title has drawn its first frame (or after a second without one, where a desktop keeps
// it from being drawn) runs then() and polishes the hidden screens still unpolished.
void holdUntilFirstFrame(QWidget *title, const QList<QWidget *> &hidden,
                         std::function<void()> then);
