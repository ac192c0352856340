#!/usr/bin/env bash
# Spending in the real game on a real X server: with a loaded purse of 100, buy a loaf at the
# market, eat it at the canteen and spin the slot machine once; the saved game then shows
# each of them. Runs in a copy of the game folder.
source "$(dirname "$0")/lib.sh"

start_xvfb
copy_game_folder
#          documents goods (bottles..meat)  money bag health feces fatigue satiety
write_save "$FOLDER/purse.sav" 0 0 0 0 0 0 0 0 0 0 0 100 2 100 0 0 100

start_game "$COPY"
load_save purse.sav

click_in "$main" 235 $((menu + 51))  # the "Промыслы" tab
click_in "$main" 128 $((menu + 203)) # "Пойти на рынок"
market=$(wait_window "Рынок" "470x340") || fail "no market"
click_in "$market" 313 65 # bread
screenshot "$market" e2e-market
click_in "$market" 395 108 # "Купить", one loaf
main=$(wait_window "Скиталия" "536x[0-9]*") || fail "no main window after buying"

click_in "$main" 115 $((menu + 51)) # the "Жизнедеятельность" tab
click_in "$main" 98 $((menu + 99))  # "Пожрать"
canteen=$(wait_window "Столовая" "330x220") || fail "no canteen"
click_in "$canteen" 235 40 # "Съесть буханку"
screenshot "$canteen" e2e-canteen
click_in "$canteen" 165 182 # "НАЗАД"
main=$(wait_window "Скиталия" "536x[0-9]*") || fail "no main window after eating"

spin_once
screenshot "$slot" e2e-spin
click_in "$slot" 160 267 # "НАЗАД"
main=$(wait_window "Скиталия" "536x[0-9]*") || fail "no main window after the spin"

save_as after
read -r -a v <<<"$(values "$FOLDER/after.sav")"
# Lines: 0-2 documents, 3-10 goods with bread at 5, 11 money, 12 bag, 13-16 vitals.
((v[5] == 0)) || fail "bread ${v[5]}: the loaf was not bought and eaten"
payout=$((v[11] - 93)) # 100, less 5 for the loaf and 2 for the spin
[[ " 0 1 2 3 10 15 20 50 70 80 100 500 600 700 800 900 1000 " == *" $payout "* ]] ||
    fail "money ${v[11]} is not 93 plus a payout"
((v[13] == 98 && v[14] == 13 && v[15] == 3 && v[16] == 100)) ||
    fail "vitals ${v[*]:13} after the market and a loaf: expected 98 13 3 100"

close_game
echo "e2e spend: passed (payout $payout)"
