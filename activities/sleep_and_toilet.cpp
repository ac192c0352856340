#include "activities/sleep_and_toilet.h"

#include "core/character_state.h"
#include "core/game_sounds.h"

// Sleep wipes fatigue at the cost of satiety; nothing caps health here.
void sleepOnce() {
    Character.Fatigue = 0;
    Character.Satiety -= 30;
    Character.Feces += 11;
    Character.Health += 3;
    gameSounds().sleep.play();
}

void useToilet() {
    gameSounds().toiletAndDeath.play();
    Character.Feces = 0;
    Character.Health -= 1;
    Character.Fatigue += 1;
    Character.Satiety -= 3;
}
