#include "core/game_sounds.h"

#include <QtGlobal>

namespace {
// Never freed by the game itself, as the screens are not: their sounds may be playing at exit.
GameSounds *sounds = nullptr;
} // namespace

GameSounds &gameSounds() {
    Q_ASSERT(sounds);
    return *sounds;
}

void makeGameSounds() {
    delete sounds;
    sounds = new GameSounds;
}

void dropGameSounds() {
    delete sounds;
    sounds = nullptr;
}
