#!/usr/bin/env bash
# The real game on a real X server: the slot machine opens from the "Развлечения" page, a
# spin with no money is refused with a notice, and "НАЗАД" leads back to the main window.
source "$(dirname "$0")/lib.sh"
start_xvfb

start_game "$GAME"

click_in "$main" 313 $((menu + 51)) # the "Развлечения" tab
click_in "$main" 98 $((menu + 219)) # "Пойти играть"
slot=$(wait_window 'Игровой автомат "Крутифрукт"' "320x290") || fail "no slot machine"
window_shown "Скиталия" && fail "the main window stayed shown beside the slot machine"
screenshot "$slot" e2e-slot-machine

click_in "$slot" 160 131 # "Запуск", with no money yet
box=$(wait_window "skitalia" "[0-9]*x[0-9]*") || fail "no notice for a spin without money"
screenshot "$box" e2e-slot-no-money
press_keys --window "$box" Return
wait_gone "skitalia"
window_shown 'Игровой автомат "Крутифрукт"' || fail "the slot machine closed with the notice"

click_in "$slot" 160 267 # "НАЗАД"
wait_window "Скиталия" "536x[0-9]*" >/dev/null || fail "no main window after НАЗАД"
window_shown 'Игровой автомат "Крутифрукт"' && fail "the slot machine stayed open"

close_game
echo "e2e slot: passed"
