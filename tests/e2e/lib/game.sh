# The game's own steps, as a player takes them with the mouse.

# Starts the game (with any arguments given after it), clicks the title picture and waits for
# the main window; sets GAME_PID, title, main (the window) and menu (the height of the menu
# bar above the 536 x 350 client area).
start_game() {
    start_title "$@"
    enter_game
}

start_title() {
    "$@" &
    GAME_PID=$!
    title=$(wait_window "Скиталия" "176x230") || fail "no title window"
}

enter_game() {
    local size
    click_in "$title" 80 100
    main=$(wait_window "Скиталия" "536x[0-9]*") || fail "no main window after the title"
    size=$(window_size "$main")
    menu=$((${size#*x} - 350))
}

# Ends the game with the main window's close button, as a player does.
close_game() {
    click_in "$main" 516 $((menu + 12))
    expect_exit 0 10
}

# Ends the game as a player's session does when it closes.
end_game() {
    kill "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=
}

# Waits for the game to end and checks its exit status.
expect_exit() {
    wait_until "$2" not kill -0 "$GAME_PID" 2>/dev/null || fail "the game did not end within $2 s"
    wait "$GAME_PID"
    local got=$?
    GAME_PID=
    ((got == $1)) || fail "the game ended with status $got, expected $1"
}

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

# True while one of the game's menus is open: Qt's menus are override-redirect windows of the
# game's class straight on the root window. Their window type is not always set, so only a
# tooltip, the one other such window, is told apart by it.
menu_open() {
    local id facts
    for id in $(xdotool search --onlyvisible --maxdepth 1 --classname '^ru\.skitalia\.Skitalia$' 2>/dev/null); do
        facts=$("$XWIN" "$id" override types 2>/dev/null | tr '\n' ' ')
        [[ "$facts" == "yes "* && "$facts" != *_TOOLTIP* ]] && return 0
    done
    return 1
}

# The menu's title at x, then its item in the given row, once the menu has opened; needs
# $main and $menu.
menu_item() {
    click_in "$main" "$1" $((menu / 2))
    wait_until 10 menu_open || fail "the menu at $1 did not open"
    click_in "$main" $(($1 + 40)) $((menu + 10 + 22 * ($2 - 1)))
    wait_until 10 not menu_open || fail "the menu at $1 stayed open"
}

# Writes a saved game holding the given 17 values, shifted by 1.
write_save() {
    local path=$1
    shift
    python3 - "$path" "$@" <<'PY'
import sys
lines = [b"0"] + [bytes(b + 1 for b in v.encode()) for v in sys.argv[2:]]
open(sys.argv[1], "wb").write(b"".join(line + b"\r\n" for line in lines))
PY
}

# Chooses a file in the open-file dialog of "Файл" → "Загрузить игру", whatever comes of it;
# with a second argument, pictures the dialog under that name first.
try_load() {
    menu_item 20 2
    local dialog
    dialog=$(wait_window "Открыть" "[0-9]*x[0-9]*") || fail "no open-file dialog"
    wait_active "$dialog" "the open-file dialog"
    [[ -n "${2:-}" ]] && screenshot "$dialog" "$2"
    type_text "$1"
    press_keys Return
}

# Loads a saved game from the game folder, as try_load chooses it.
load_save() {
    try_load "$@"
    wait_gone "Открыть"
}

# Types a name on the save screen of "Файл" → "Сохранить игру" and presses "OK", whatever
# comes of it; with a second argument, pictures the screen under that name first.
try_save() {
    menu_item 20 1
    local screen
    screen=$(wait_window "Сохранить" "260x110") || fail "no save screen"
    window_shown "Скиталия" || fail "the main window went away beside the save screen"
    wait_active "$screen" "the save screen"
    click_in "$screen" 130 47 # the name field
    press_keys ctrl+a
    type_text "$1"
    [[ -n "${2:-}" ]] && screenshot "$screen" "$2"
    click_in "$screen" 80 86 # "OK"
}

# Saves under the given name; needs $FOLDER, the game's folder.
save_as() {
    try_save "$1" "e2e-save-$1"
    wait_gone "Сохранить"
    [[ -f "$FOLDER/$1.sav" ]] || fail "no $1.sav in the game folder"
    [[ -f "$FOLDER/prox.dat" && ! -s "$FOLDER/prox.dat" ]] || fail "prox.dat not left empty"
}

# Begs for an hour from the main window and comes back to it; needs $main and $menu. With a
# name, pictures the result under it first.
beg_an_hour() {
    local beg before
    click_in "$main" 235 $((menu + 51)) # the "Промыслы" tab
    click_in "$main" 128 $((menu + 99)) # "Просить милостыню"
    beg=$(wait_window "Милостыня" "476x317") || fail "no begging screen"
    on_screen "$beg" || fail "the begging screen stands off the screen, at $(window_place "$beg")"
    window_shown "Скиталия" && fail "the main window stayed shown beside the begging screen"
    click_in "$beg" 123 93 # "Сделать выбор"
    before=$(picture_of "$beg")
    click_in "$beg" 348 93 # "Начать поиск", one hour
    if [[ -n "${1:-}" ]]; then
        # The progress bar moves at every step of the run.
        wait_changed "$beg" "$before" "«Начать поиск»"
        wait_still "$beg" 0.25 || fail "the begging run never ended"
        screenshot "$beg" "$1"
    fi
    back_to_main "$beg" 238 285 "the begging screen"
    window_shown "Милостыня" && fail "the begging screen stayed open"
}

# Opens the slot machine from the main window and spins once, waiting until the reels have
# stopped; sets $slot. Needs $main and $menu, and 2 roubles.
spin_once() {
    local before
    click_in "$main" 313 $((menu + 51)) # the "Развлечения" tab
    click_in "$main" 98 $((menu + 219)) # "Пойти играть"
    slot=$(wait_window 'Игровой автомат "Крутифрукт"' "320x290") || fail "no slot machine"
    before=$(picture_of "$slot")
    click_in "$slot" 160 131 # "Запуск"
    wait_changed "$slot" "$before" "«Запуск»"
    wait_still "$slot" 0.25 || fail "the reels never stopped"
}

# Clicks "НАЗАД" at a point of the window until the main window is back. A begging run shows
# it only once it is over; before, a click there lands on the bare screen.
back_to_main() {
    wait_until 20 clicked_back "$@" || fail "no way back to the main window from $4"
}

clicked_back() {
    click_in "$1" "$2" "$3" 2>/dev/null
    main=$(wait_window "Скиталия" "536x[0-9]*" 1)
}
