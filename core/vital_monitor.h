#pragma once

#include "core/character_state.h"

#include <QString>
#include <functional>

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

// What the limits need of the screens above them.
struct VitalScreens {
    // The main window as the player sees it: a minimised one counts as hidden.
    std::function<bool()> mainWindowShown;
    // Shows the death screen and hides the main window.
    std::function<void()> showDeath;
};

// The limits of the vitals, each tested once in their order on the values as they stand:
// death, the toilet accident while the main window is shown, death again. Death also plays
// its sound.
void applyVitalLimits(const VitalScreens &screens);
