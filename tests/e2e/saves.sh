#!/usr/bin/env bash
# Saved games in the real game on a real X server: beg for an hour, save, start a new game,
# load the save through the open-file dialog and save it again under another name; both
# files must hold the same values, the begging's among them. Runs in a copy of the game
# folder, so the saves do not litter the build.
set -uo pipefail
GAME=$1
SHOTS=$2
source "$(dirname "$0")/lib.sh"

start_xvfb
FOLDER=$(mktemp -d)
trap 'stop_all; rm -rf "$FOLDER"' EXIT
cp -r "$(dirname "$GAME")"/. "$FOLDER"

# The values of a saved game as the game writes them: 18 lines with CR LF, the first the
# shift less one, the others raised by the shift.
values() {
    python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
lines = data.split(b"\r\n")
assert len(lines) == 19 and lines[-1] == b"", f"not 18 lines with CR LF: {data!r}"
shift = int(lines[0]) + 1
assert 1 <= shift <= 15, f"shift {shift}"
print(" ".join(str(int(bytes((b - shift) % 256 for b in line))) for line in lines[1:18]))
PY
}

menu_item() { # the menu's title at x, then its item in the given row
    click_in "$main" "$1" $((menu / 2))
    sleep 0.3
    click_in "$main" $(($1 + 40)) $((menu + 10 + 22 * ($2 - 1)))
}

save_as() {
    menu_item 20 1 # "Файл" → "Сохранить игру"
    local screen
    screen=$(wait_window "Сохранить" "260x110" 5) || fail "no save screen"
    window_shown "Скиталия" || fail "the main window went away beside the save screen"
    click_in "$screen" 130 47 # the name field
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    screenshot "$screen" "e2e-save-$1"
    click_in "$screen" 80 86 # "OK"
    for _ in $(seq 50); do
        window_shown "Сохранить" || break
        sleep 0.1
    done
    window_shown "Сохранить" && fail "the save screen stayed after OK"
    [[ -f "$FOLDER/$1.sav" ]] || fail "no $1.sav in the game folder"
    [[ -f "$FOLDER/prox.dat" && ! -s "$FOLDER/prox.dat" ]] || fail "prox.dat not left empty"
}

"$FOLDER/$(basename "$GAME")" &
GAME_PID=$!
title=$(wait_window "Скиталия" "176x230" 15) || fail "no title window"
click_in "$title" 80 100
main=$(wait_window "Скиталия" "536x[0-9]*" 5) || fail "no main window"
size=$(window_size "$main")
menu=$((${size#*x} - 350)) # the menu bar sits above the 536 x 350 client area

# An hour of begging, so that the saved game differs from a new one.
click_in "$main" 235 $((menu + 51)) # the "Промыслы" tab
sleep 0.2
click_in "$main" 128 $((menu + 99)) # "Просить милостыню"
beg=$(wait_window "Милостыня" "476x317" 5) || fail "no begging screen"
click_in "$beg" 123 93 # "Сделать выбор"
sleep 0.2
click_in "$beg" 348 93 # "Начать поиск", one hour
sleep 2.5
click_in "$beg" 238 285 # "НАЗАД"
main=$(wait_window "Скиталия" "536x[0-9]*" 5) || fail "no main window after begging"

save_as first
first=$(values "$FOLDER/first.sav") || fail "first.sav is not a saved game"
fresh="0 0 0 0 0 0 0 0 0 0 0 0 2 100 0 0 100"
[[ "$first" != "$fresh" ]] || fail "the begging left no trace in the save"

menu_item 92 1 # "Новая игра" → "Да"
sleep 0.3
save_as reset
[[ "$(values "$FOLDER/reset.sav")" == "$fresh" ]] || fail "no new game after \"Да\""

menu_item 20 2 # "Файл" → "Загрузить игру"
dialog=$(wait_window "Открыть" "[0-9]*x[0-9]*" 5) || fail "no open-file dialog"
sleep 0.5
screenshot "$dialog" e2e-open-dialog
xdotool type --delay 20 "first.sav"
xdotool key Return
for _ in $(seq 50); do
    window_shown "Открыть" || break
    sleep 0.1
done
window_shown "Открыть" && fail "the open-file dialog stayed open"
[[ ! -s "$FOLDER/prox.dat" ]] || fail "prox.dat not left empty after the load"

save_as second
second=$(values "$FOLDER/second.sav") || fail "second.sav is not a saved game"
[[ "$second" == "$first" ]] || fail "the loaded game saved as '$second', not '$first'"
screenshot "$main" e2e-after-load

click_in "$main" 516 $((menu + 12)) # the close button
expect_exit 0 2
echo "e2e saves: passed ($first)"
