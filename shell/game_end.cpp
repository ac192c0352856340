#include "shell/game_end.h"

Tgameend::Tgameend(QWidget *parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("gameend"));
    setWindowTitle(QStringLiteral("gameend"));
    // 484 x 259 with a common window frame around it.
    resize(476, 232);
}
