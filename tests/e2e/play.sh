#!/usr/bin/env bash
# Plays the real game on a real X server as a player would: begs for an hour and comes back.
source "$(dirname "$0")/lib.sh"
start_xvfb

start_game "$GAME"
# "НАЗАД" exists only in the result arrangement: pressing it must bring the main window back.
beg_an_hour e2e-begging-result
screenshot "$main" e2e-after-begging

close_game
echo "e2e play: passed"
