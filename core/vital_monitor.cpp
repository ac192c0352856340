#include "core/vital_monitor.h"

#include "core/death_screen.h"
#include "core/game_sounds.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "system/services.h"

#include <algorithm>

namespace {

int barValue(std::int32_t value) {
    return std::clamp<std::int32_t>(value, 0, 100);
}

} // namespace

VitalDisplay vitalDisplay(const CharacterState &s) {
    VitalDisplay d;
    d.citizenshipEnabled = s.CitizenshipState != DocumentHeld;
    d.passportEnabled = s.CitizenshipState == DocumentHeld && s.PassportState != DocumentHeld;
    d.roomEnabled = s.PassportState == DocumentHeld && s.RoomState != DocumentHeld;
    d.recyclingEnabled = s.Bottles != 0 || s.WastePaper != 0;
    d.money = QString::number(s.Money);
    d.citizenship = s.CitizenshipState == DocumentHeld ? QStringLiteral("Гражданин России")
                                                       : QStringLiteral("Без гражданства");
    d.passport = s.PassportState == DocumentHeld ? QStringLiteral("Российский паспорт")
                                                 : QStringLiteral("Без паспорта");
    d.room = s.RoomState == DocumentHeld ? QStringLiteral("Комната в коммуналке")
                                         : QStringLiteral("Живет на улице");
    d.satiety = barValue(s.Satiety);
    d.health = barValue(s.Health);
    d.fatigue = barValue(s.Fatigue);
    d.feces = barValue(s.Feces);
    return d;
}

bool mainWindowShown() {
    return Form2->isVisible() && !Form2->isMinimized();
}

void deathTransition() {
    // Shown once: raising it on every tick would take the focus from any other window.
    if (!Form10->isVisible())
        showScreen(Form10);
    hideScreen(Form2);
    gameSounds().toiletAndDeath.play();
}

void applyVitalLimits() {
    if (Character.Fatigue > 100)
        deathTransition();
    if (Character.Health < 0)
        deathTransition();
    if (Character.Satiety < 0)
        deathTransition();
    if (Character.Feces >= 100 && mainWindowShown()) {
        // The record is settled before the box opens: ticks run on while it waits.
        Character.Feces = 0;
        Character.Health -= 35;
        services().messageBox(QStringLiteral("Бомж обосрался в штаны и его здоровье ухудшилось"),
                              QStringLiteral("ПОНОС!!!"));
        gameSounds().toiletAndDeath.play();
    }
    if (Character.Fatigue >= 100)
        deathTransition();
}
