#!/usr/bin/env bash
# Plays the real game on a real X server as a player would: begs for an hour and comes back.
set -uo pipefail
GAME=$1
SHOTS=$2
source "$(dirname "$0")/lib.sh"
start_xvfb

start_game "$GAME"

click_in "$main" 235 $((menu + 51)) # the "Промыслы" tab
sleep 0.2
click_in "$main" 128 $((menu + 99)) # "Просить милостыню"
beg=$(wait_window "Милостыня" "476x317" 5) || fail "no begging screen"
window_shown "Скиталия" && fail "the main window stayed shown beside the begging screen"
click_in "$beg" 123 93 # "Сделать выбор"
sleep 0.2
click_in "$beg" 348 93 # "Начать поиск", one hour
sleep 2.5              # at most a second for one hour
screenshot "$beg" e2e-begging-result
# "НАЗАД" exists only in the result arrangement: pressing it must bring the main window back.
click_in "$beg" 238 285
wait_window "Скиталия" "536x[0-9]*" 5 >/dev/null || fail "no result screen to come back from"
window_shown "Милостыня" && fail "the begging screen stayed open"
screenshot "$main" e2e-after-begging

click_in "$main" 516 $((menu + 12)) # the close button
expect_exit 0 2
echo "e2e play: passed"
