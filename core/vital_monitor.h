#pragma once

#include "core/character_state.h"

#include <QString>

// What the tick shows of the record: the enabled flags, the money, the status lines and
// the four bars (clamped to their range for display only).
struct VitalDisplay {
    bool citizenshipEnabled = false;
    bool passportEnabled = false;
    bool roomEnabled = false;
    bool recyclingEnabled = false;
    QString money;
    QString citizenship;
    QString passport;
    QString room;
    int satiety = 0;
    int health = 0;
    int fatigue = 0;
    int feces = 0;
};

VitalDisplay vitalDisplay(const CharacterState &state);

// The limits of the vitals, each tested once in their order on the values as they stand:
// death, the toilet accident while the main window is shown, death again.
void applyVitalLimits();

// The main window as the player sees it: a minimised one counts as hidden.
bool mainWindowShown();

// Shows the death screen, hides the main window and plays the death sound.
void deathTransition();
