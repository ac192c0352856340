#!/usr/bin/env bash
# The open-file dialog of loading on systems without a Russian locale, LANG=C and no LANG at
# all: the dialog comes up, is pictured (its sizes, dates and the saved game's type must read
# in Russian there) and loads the chosen game through the staging file.
source "$(dirname "$0")/lib.sh"

start_xvfb
copy_game_folder
write_save "$FOLDER/purse.sav" 1 2 3 4 5 6 7 8 9 10 777 4 0 0 2 90 10

for lang in C unset; do
    rm -f "$FOLDER/prox.dat"
    # Only the game gets the locale; xdotool and the rest keep the script's.
    launcher="$FOLDER/with-lang-$lang"
    if [[ "$lang" == unset ]]; then
        printf '#!/bin/sh\nexec env -u LANG -u LANGUAGE -u LC_ALL "%s"\n' "$COPY" >"$launcher"
    else
        printf '#!/bin/sh\nexec env -u LANGUAGE -u LC_ALL LANG=%s "%s"\n' "$lang" "$COPY" >"$launcher"
    fi
    chmod +x "$launcher"
    "$launcher" &
    GAME_PID=$!
    title=$(game_window 176x230) || fail "LANG $lang: no title window"
    click_in "$title" 80 100
    main=$(game_window "536x[0-9]*") || fail "LANG $lang: no main window"
    size=$(window_size "$main")
    menu=$((${size#*x} - 350))
    menu_item 20 2 # "Файл" → "Загрузить игру"
    dialog=$(game_window "[0-9]*x[0-9]*" "$main") || fail "LANG $lang: no open-file dialog"
    wait_active "$dialog" "LANG $lang: the dialog"
    screenshot "$dialog" "e2e-load-dialog-lang-$lang"
    type_text purse.sav
    press_keys Return
    wait_until 10 not xdotool getwindowname "$dialog" >/dev/null 2>&1 ||
        fail "LANG $lang: the dialog stayed open"
    [[ -f "$FOLDER/prox.dat" && ! -s "$FOLDER/prox.dat" ]] ||
        fail "LANG $lang: no load through the staging file"
    close_game
done
echo "e2e load dialog: passed"
