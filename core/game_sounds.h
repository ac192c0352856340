#pragma once

#include "sound/sound_slot.h"

// The main window's three sounds, which the other screens play too. The main window binds
// them at its creation, in the rules' order.
struct GameSounds {
    SoundSlot click;          // 3.wav
    SoundSlot sleep;          // 6.wav
    SoundSlot toiletAndDeath; // 7.wav
};

// Made before the first screen and gone after the last, so every screen may play them.
GameSounds &gameSounds();
void makeGameSounds();
void dropGameSounds();
