# Helpers for driving the real game on a private X server. Source it; call start_xvfb first.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

start_xvfb() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s "$fdfile" ]] && break
        sleep 0.05
    done
    [[ -s "$fdfile" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
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
