#include "activities/papers.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/prices.h"
#include "system/services.h"

namespace {

// The order of the documents is kept by the tick's enabled flags, not here. A second click
// before the tick disables the button finds the paper held and buys nothing.
bool buy(SoundSlot &click, SaturatingInt &document, int price) {
    click.play();
    if (document == DocumentHeld)
        return false;
    if (Character.Money < price) {
        services().notice(QStringLiteral("Недостаточно денег!"));
        return false;
    }
    document = DocumentHeld;
    Character.Money -= price;
    return true;
}

} // namespace

void buyCitizenship() {
    buy(gameSounds().click, Character.CitizenshipState, CitizenshipPrice);
}

void buyPassport() {
    buy(gameSounds().click, Character.PassportState, PassportPrice);
}

// The room is the goal: the game says so and play goes on.
void buyRoom() {
    if (buy(gameSounds().click, Character.RoomState, RoomPrice))
        services().notice(
            QStringLiteral("Игра закончена. Но если вы хотите, можете продолжать играть дальше"));
}
