#include "core/character_state.h"
#include "system/services.h"
#include "shell/main_window.h"

namespace {

constexpr int CitizenshipPrice = 2000;
constexpr int PassportPrice = 3000;
constexpr int RoomPrice = 50000;

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

void TForm2::Button8Click() {
    buy(MediaPlayer1, Character.CitizenshipState, CitizenshipPrice);
}

void TForm2::Button9Click() {
    buy(MediaPlayer1, Character.PassportState, PassportPrice);
}

// The room is the goal: the game says so and play goes on.
void TForm2::Button10Click() {
    if (buy(MediaPlayer1, Character.RoomState, RoomPrice))
        services().notice(
            QStringLiteral("Игра закончена. Но если вы хотите, можете продолжать играть дальше"));
}
