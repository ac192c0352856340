#!/usr/bin/env bash
# The real game on a real X server: the title comes up, a click on its picture brings the
# main window, a tab changes and the close button ends the game; a game folder with a sound missing stops with a message.
set -uo pipefail
GAME=$1
SHOTS=$2
source "$(dirname "$0")/lib.sh"
start_xvfb

"$GAME" &
GAME_PID=$!
title=$(wait_window "Скиталия" "176x230" 15) || fail "no title window"
sleep 0.3
screenshot "$title" title
# Guessing a picture's format would load every image plugin, SVG's among them.
grep -q "/imageformats/" "/proc/$GAME_PID/maps" && fail "image plugins were loaded at start-up"
click_in "$title" 80 100
main=$(wait_window "Скиталия" "536x[0-9]*" 5) || fail "no main window after the title click"
window_shown "Скиталия" || fail "main window not shown"
xdotool search --onlyvisible --name "^Скиталия\$" | while read -r id; do
    [[ "$(window_size "$id")" != "176x230" ]] || fail "title still shown after the click"
done
size=$(window_size "$main")
menu=$((${size#*x} - 350)) # the menu bar sits above the 536 x 350 client area
screenshot "$main" e2e-main-before
click_in "$main" 115 $((menu + 51)) # the second tab
sleep 0.3
screenshot "$main" e2e-main-after
cmp -s "$SHOTS/e2e-main-before.png" "$SHOTS/e2e-main-after.png" && fail "the tab did not change"
click_in "$main" 516 $((menu + 12)) # the close button
expect_exit 0 2

# A copy of the game folder without one of its sounds.
copy=$(mktemp -d)
cp -r "$(dirname "$GAME")"/. "$copy"
rm "$copy/6.wav"
"$copy/$(basename "$GAME")" 2>"$copy/stderr" &
GAME_PID=$!
box=$(wait_window "skitalia" "[0-9]*x[0-9]*" 15) || { cat "$copy/stderr" >&2; fail "no error box for the missing sound"; }
grep -q "6.wav" "$copy/stderr" || fail "the message does not name the file"
window_shown "Скиталия" && fail "a game screen was shown despite the missing sound"
screenshot "$box" missing-sound
xdotool key --window "$box" Return
expect_exit 1 5
rm -rf "$copy"
echo "e2e title: passed"
