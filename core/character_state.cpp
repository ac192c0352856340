#include "core/character_state.h"

#include <QDir>

CharacterState Character;

void newGameReset(CharacterState &state) {
    state.CitizenshipState = 0;
    state.PassportState = 0;
    state.RoomState = 0;
    state.Bottles = 0;
    state.WastePaper = 0;
    state.Bread = 0;
    state.Pasta = 0;
    state.Matches = 0;
    state.Cigarettes = 0;
    state.Gum = 0;
    state.Meat = 0;
    state.Money = 0;
    state.BagCapacity = StartBagCapacity;
    state.Health = 100;
    state.Feces = 0;
    state.Fatigue = 0;
    state.Satiety = 100;
}

QString appFile(const CharacterState &state, const QString &fileName) {
    return state.AppDir + QDir::separator() + fileName;
}
