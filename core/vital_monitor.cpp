#include "core/vital_monitor.h"

#include "core/game_sounds.h"
#include "system/services.h"

#include <algorithm>

namespace {

int barValue(std::int32_t value) {
    return std::clamp<std::int32_t>(value, 0, 100);
}

void deathTransition(const VitalScreens &screens) {
    screens.showDeath();
    gameSounds().toiletAndDeath.play();
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

void applyVitalLimits(const VitalScreens &screens) {
    if (Character.Fatigue > 100)
        deathTransition(screens);
    if (Character.Health < 0)
        deathTransition(screens);
    if (Character.Satiety < 0)
        deathTransition(screens);
    if (Character.Feces >= 100 && screens.mainWindowShown()) {
        // The record is settled before the box opens: ticks run on while it waits.
        Character.Feces = 0;
        Character.Health -= 35;
        services().messageBox(QStringLiteral("Бомж обосрался в штаны и его здоровье ухудшилось"),
                              QStringLiteral("ПОНОС!!!"));
        gameSounds().toiletAndDeath.play();
    }
    if (Character.Fatigue >= 100)
        deathTransition(screens);
}
