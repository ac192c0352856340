# Helpers for driving the real game on a private X server. Source it; call start_xvfb first.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    # -noreset: a server that resets when its last client leaves refuses the next one a while.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s "$fdfile" ]] && break
        sleep 0.05
    done
    [[ -s "$fdfile" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.05
    done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
    trap 'stop_all' EXIT
}

stop_all() {
    [[ -n "${GAME_PID:-}" ]] && kill "$GAME_PID" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    true
}

# Prints the id of the visible window with exactly this title and size (WxH), waiting up to
# the given seconds for it.
wait_window() {
    local title=$1 size=$2 seconds=${3:-10} id
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
            if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: ${size}\$"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# True while some visible window has this title.
window_shown() {
    [[ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]]
}

window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'
}

click_in() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

screenshot() {
    mkdir -p "$SHOTS"
    import -window "$1" "$SHOTS/$2.png"
}

# A copy of the game's folder (the executable and its files) in FOLDER, removed at the end,
# so that saved games do not litter the build; COPY is the executable in it.
copy_game_folder() {
    FOLDER=$(mktemp -d)
    trap 'stop_all; rm -rf "$FOLDER"' EXIT
    cp -r "$(dirname "$GAME")"/. "$FOLDER"
    COPY="$FOLDER/$(basename "$GAME")"
}

# Starts the game, clicks the title picture and waits for the main window; sets GAME_PID,
# main (the window) and menu (the height of the menu bar above the 536 x 350 client area).
start_game() {
    "$1" &
    GAME_PID=$!
    local title size
    title=$(wait_window "Скиталия" "176x230" 15) || fail "no title window"
    click_in "$title" 80 100
    main=$(wait_window "Скиталия" "536x[0-9]*" 5) || fail "no main window"
    size=$(window_size "$main")
    menu=$((${size#*x} - 350))
}

# Waits for the game to end and checks its exit status.
expect_exit() {
    local status=$1 seconds=$2 waited=0
    while kill -0 "$GAME_PID" 2>/dev/null; do
        ((waited >= seconds * 20)) && fail "the game did not end within ${seconds} s"
        sleep 0.05
        waited=$((waited + 1))
    done
    wait "$GAME_PID"
    local got=$?
    GAME_PID=
    ((got == status)) || fail "the game ended with status $got, expected $status"
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

# The menu's title at x, then its item in the given row; needs $main and $menu.
menu_item() {
    click_in "$main" "$1" $((menu / 2))
    sleep 0.3
    click_in "$main" $(($1 + 40)) $((menu + 10 + 22 * ($2 - 1)))
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

# Loads a saved game from the game folder through "Файл" → "Загрузить игру".
load_save() {
    menu_item 20 2
    local dialog
    dialog=$(wait_window "Открыть" "[0-9]*x[0-9]*" 5) || fail "no open-file dialog"
    sleep 0.5
    xdotool type --delay 20 "$1"
    xdotool key Return
    for _ in $(seq 50); do
        window_shown "Открыть" || break
        sleep 0.1
    done
    window_shown "Открыть" && fail "the open-file dialog stayed open"
}

# Saves under the given name through "Файл" → "Сохранить игру"; needs $FOLDER, the game's folder.
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
