#include "core/character_state.h"
#include "shell/main_window.h"

// Sleep wipes fatigue at the cost of satiety; nothing caps health here.
void TForm2::Button3Click() {
    Character.Fatigue = 0;
    Character.Satiety -= 30;
    Character.Feces += 11;
    Character.Health += 3;
    MediaPlayer2.play();
}

void TForm2::SpeedButton3Click() {
    MediaPlayer3.play();
    Character.Feces = 0;
    Character.Health -= 1;
    Character.Fatigue += 1;
    Character.Satiety -= 3;
}
