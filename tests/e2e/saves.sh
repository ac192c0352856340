#!/usr/bin/env bash
# Saved games in the real game on a real X server: beg for an hour, save, start a new game,
# load the save through the open-file dialog and save it again under another name; both
# files must hold the same values, the begging's among them. Runs in a copy of the game
# folder, so the saves do not litter the build.
source "$(dirname "$0")/lib.sh"

start_xvfb
copy_game_folder

start_game "$COPY"

# An hour of begging, so that the saved game differs from a new one.
beg_an_hour

save_as first
first=$(values "$FOLDER/first.sav") || fail "first.sav is not a saved game"
fresh="0 0 0 0 0 0 0 0 0 0 0 0 2 100 0 0 100"
[[ "$first" != "$fresh" ]] || fail "the begging left no trace in the save"

menu_item 92 1 # "Новая игра" → "Да"
save_as reset
[[ "$(values "$FOLDER/reset.sav")" == "$fresh" ]] || fail "no new game after \"Да\""

load_save first.sav
[[ ! -s "$FOLDER/prox.dat" ]] || fail "prox.dat not left empty after the load"

save_as second
second=$(values "$FOLDER/second.sav") || fail "second.sav is not a saved game"
[[ "$second" == "$first" ]] || fail "the loaded game saved as '$second', not '$first'"
screenshot "$main" e2e-after-load

close_game
echo "e2e saves: passed ($first)"
