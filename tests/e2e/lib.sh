# Helpers for driving the real game on a player's desktop: a private X server with a window
# manager, and on request a tray and a sound server, all of them private to the script and
# stopped at its end. Source this file, then:
#
#   start_xvfb [WM]        the X server and its window manager, openbox (the default), xfwm4,
#                          or none for a bare server; exports DISPLAY. Call it first.
#   start_wm NAME          starts openbox or xfwm4 and waits until it manages the screen;
#                          start_xvfb calls it. wm_name prints the name of the one in charge.
#   start_tray             an XEmbed tray (trayer) at the bottom right; returns once it owns the
#                          tray selection, so a game started afterwards docks its icon there.
#   tray_icon_of_game      prints "ID X Y": the game's icon window in the tray and its centre on
#                          the screen, e.g. for `xdotool mousemove X Y click --repeat 2 1`.
#   start_sound_server     a PulseAudio server whose default output is a silent null sink;
#                          exports PULSE_SERVER, so the game and the recorder play through it.
#   start_recording FILE   records everything played into a WAV file;
#   recording_time         prints the seconds since the recording began, for placing windows;
#   stop_recording         ends the recording and completes the file;
#   rms FILE FROM LENGTH   prints the RMS amplitude of that stretch of a recording (seconds).
#   stop_all               stops everything started; a trap calls it at exit.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

start_xvfb() {
    local wm=${1:-openbox} fdfile
    DESKTOP_DIR=$(mktemp -d)
    trap 'stop_all' EXIT
    fdfile="$DESKTOP_DIR/display"
    # -noreset: a server that resets when its last client leaves refuses the next one a while.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s "$fdfile" ]] && break
        sleep 0.05
    done
    [[ -s "$fdfile" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.05
    done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
    [[ "$wm" == none ]] || start_wm "$wm"
}

# The window that owns an X selection, in hex, or 0x0 when nobody does. xprop cannot tell.
selection_owner() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
display = x.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
print(hex(x.XGetSelectionOwner(display, x.XInternAtom(display, sys.argv[1].encode(), 0))))
PY
}

# The name the running window manager gives itself, when it manages the screen: it must own
# the screen's WM_S selection and keep a live _NET_SUPPORTING_WM_CHECK window that names it.
wm_name() {
    local check
    [[ "$(selection_owner WM_S0)" != 0x0 ]] || return 1
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
    [[ -n "$check" ]] || return 1
    # A manager that died leaves the root's property behind, but not its window.
    [[ "$(xprop -id "$check" _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')" == "$check" ]] ||
        return 1
    xprop -id "$check" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# Starts a window manager, openbox or xfwm4, and waits until it manages the screen.
start_wm() {
    local name=$1 expected log="$DESKTOP_DIR/$1.log"
    case "$name" in
    openbox)
        expected=Openbox
        # Debian's own configuration, as a player has it (its frame buttons and bindings
        # included), and nothing of the user's.
        cp /etc/xdg/openbox/rc.xml "$DESKTOP_DIR/openbox.xml" || fail "no openbox configuration"
        XDG_CONFIG_HOME="$DESKTOP_DIR" XDG_CACHE_HOME="$DESKTOP_DIR" \
            openbox --sm-disable --config-file "$DESKTOP_DIR/openbox.xml" >"$log" 2>&1 &
        ;;
    xfwm4)
        expected=Xfwm4
        # xfwm4 reads its settings over D-Bus; a bus of its own keeps the user's away. Left
        # to GTK it would also start an accessibility bus and name it on the root window,
        # where the game and the playthrough would take it for theirs.
        start_session_bus
        DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS" XDG_CONFIG_HOME="$DESKTOP_DIR" NO_AT_BRIDGE=1 \
            XDG_CACHE_HOME="$DESKTOP_DIR" xfwm4 --replace --compositor=off >"$log" 2>&1 &
        ;;
    *)
        fail "no window manager '$name': openbox, xfwm4 or none"
        ;;
    esac
    WM_PID=$!
    local got
    for _ in $(seq 100); do
        got=$(wm_name) && [[ "$got" == "$expected" ]] && return 0
        kill -0 "$WM_PID" 2>/dev/null || fail "$name ended at start: $(tail -n5 "$log")"
        sleep 0.1
    done
    fail "$name does not manage $DISPLAY within 10 s (window manager seen: '${got:-none}'): $(tail -n5 "$log")"
}

# A private D-Bus session bus; sets SESSION_BUS to its address.
start_session_bus() {
    [[ -n "${BUS_PID:-}" ]] && return 0
    local address="$DESKTOP_DIR/bus-address"
    dbus-daemon --session --nofork --print-address=3 3>"$address" >/dev/null 2>&1 &
    BUS_PID=$!
    for _ in $(seq 100); do
        [[ -s "$address" ]] && break
        sleep 0.05
    done
    [[ -s "$address" ]] || fail "the private D-Bus session bus did not start"
    SESSION_BUS=$(head -n1 "$address")
}

# Starts an XEmbed tray and waits until it owns the tray selection and shows its panel.
start_tray() {
    local selection="_NET_SYSTEM_TRAY_S0" log="$DESKTOP_DIR/trayer.log"
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
        >"$log" 2>&1 &
    TRAY_PID=$!
    for _ in $(seq 100); do
        if [[ "$(selection_owner "$selection")" != 0x0 ]] &&
            [[ -n "$(xdotool search --onlyvisible --classname '^panel$' 2>/dev/null)" ]]; then
            return 0
        fi
        kill -0 "$TRAY_PID" 2>/dev/null || fail "trayer ended at start: $(tail -n5 "$log")"
        sleep 0.1
    done
    fail "trayer did not take $selection within 10 s: $(tail -n5 "$log")"
}

# True when the window sits inside the tray's panel, as a docked icon does.
in_tray() {
    local id=$1
    while id=$(xwininfo -id "$id" -children 2>/dev/null |
        sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p') && [[ -n "$id" && "$id" != 0x0 ]]; do
        xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"trayer"' && return 0
    done
    return 1
}

# Prints "ID X Y": the game's icon docked in the tray, and its centre in screen coordinates;
# waits up to the given seconds for it. Needs GAME_PID.
tray_icon_of_game() {
    local seconds=${1:-10} id X Y WIDTH HEIGHT
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        for id in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); do
            in_tray "$id" || continue
            eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
            echo "$id $((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
            return 0
        done
        sleep 0.1
    done
    return 1
}

# The sink the sound server plays into; its monitor is what the recorder hears.
SOUND_SINK=e2e_speakers

# Starts a private PulseAudio server with a null sink as its default output, and points the
# game and the recorder at it. Nothing of the user's sound set-up is read or touched.
start_sound_server() {
    local dir="$DESKTOP_DIR/pulse"
    mkdir -p "$dir/home" "$dir/config" "$dir/runtime"
    chmod 700 "$dir/runtime"
    # -n: no default script, only the two modules named here. As root the server warns that
    # it is meant for users and serves all the same. Kept off the display and the session
    # bus, it neither announces itself on the user's bus nor has one launched for it.
    # norewinds: a sink that rewinds mixes a new sound into time it has already passed to
    # the monitor, and the recording loses the sound's first milliseconds.
    env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS \
        HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" \
        XDG_STATE_HOME="$dir/config" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
        --log-target=stderr \
        -L "module-null-sink sink_name=$SOUND_SINK norewinds=1" \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        >"$dir/log" 2>&1 &
    PULSE_PID=$!
    export PULSE_SERVER="unix:$dir/native"
    # Its clients neither start a server of their own nor read the user's cookie or settings.
    printf 'autospawn = no\n' >"$dir/client.conf"
    export PULSE_CLIENTCONFIG="$dir/client.conf" PULSE_COOKIE="$dir/cookie"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        kill -0 "$PULSE_PID" 2>/dev/null || fail "pulseaudio ended at start: $(tail -n3 "$dir/log")"
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || fail "pulseaudio at $PULSE_SERVER does not answer within 10 s"
    pactl set-default-sink "$SOUND_SINK" || fail "no sink $SOUND_SINK on the sound server"
    pactl info | grep -qx "Default Sink: $SOUND_SINK" || fail "$SOUND_SINK is not the default output"
}

# Records the sound server's output into a mono WAV file of 44.1 kHz, 16 bits.
# RECORDING_START is the wall-clock time of the file's first sample. The monitor of a null
# sink delivers its first data some two seconds after the recorder joins, and the file
# starts there; so the start is told from the data written once it flows.
start_recording() {
    RECORDING=$1
    rm -f "$RECORDING"
    parecord --device="$SOUND_SINK.monitor" --file-format=wav --channels=1 --rate=44100 \
        --latency-msec=20 "$RECORDING" 2>"$DESKTOP_DIR/parecord.log" &
    RECORDER_PID=$!
    local size=0 header=44 bytes_per_second=88200
    for _ in $(seq 250); do
        size=$(stat -c %s "$RECORDING" 2>/dev/null || echo 0)
        # A tenth of a second written: the data flows, a block at a time of 20 ms.
        ((size > header + bytes_per_second / 10)) && break
        kill -0 "$RECORDER_PID" 2>/dev/null || fail "parecord ended at start: $(cat "$DESKTOP_DIR/parecord.log")"
        sleep 0.02
    done
    ((size > header + bytes_per_second / 10)) || fail "parecord wrote no sound within 5 s"
    RECORDING_START=$(awk -v now="$(date +%s.%N)" -v bytes=$((size - header)) -v rate=$bytes_per_second \
        'BEGIN { printf "%.3f", now - bytes / rate }')
}

# Seconds since the recording's first sample, to the millisecond. date writes a decimal point
# in every locale.
recording_time() {
    awk -v now="$(date +%s.%N)" -v start="$RECORDING_START" 'BEGIN { printf "%.3f", now - start }'
}

stop_recording() {
    [[ -n "${RECORDER_PID:-}" ]] || return 0
    # An interrupted parecord writes the WAV header's lengths before it leaves.
    kill -INT "$RECORDER_PID" 2>/dev/null
    wait "$RECORDER_PID" 2>/dev/null
    RECORDER_PID=
    [[ -s "$RECORDING" ]] || fail "the recording $RECORDING is empty"
}

# The RMS amplitude (0 to 1) of LENGTH seconds of a WAV file from FROM seconds on.
rms() {
    local value
    value=$(LC_ALL=C sox "$1" -n trim "$2" "$3" stat 2>&1 | sed -n 's/^RMS *amplitude: *//p')
    [[ -n "$value" ]] || fail "no RMS for $2 s + $3 s of $1"
    echo "$value"
}

stop_all() {
    [[ -n "${GAME_PID:-}" ]] && kill "$GAME_PID" 2>/dev/null
    [[ -n "${RECORDER_PID:-}" ]] && kill "$RECORDER_PID" 2>/dev/null
    [[ -n "${TRAY_PID:-}" ]] && kill "$TRAY_PID" 2>/dev/null
    [[ -n "${WM_PID:-}" ]] && kill "$WM_PID" 2>/dev/null
    [[ -n "${PULSE_PID:-}" ]] && kill "$PULSE_PID" 2>/dev/null
    [[ -n "${BUS_PID:-}" ]] && kill "$BUS_PID" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [[ -n "${DESKTOP_DIR:-}" ]] && rm -rf "$DESKTOP_DIR"
    true
}

# Prints the id of the visible window with exactly this title and size (WxH), waiting up to
# the given seconds for it.
wait_window() {
    local title=$1 size=$2 seconds=${3:-10} id
    local deadline=$((SECONDS + seconds))
    while ((SECONDS <= deadline)); do
        for id in $(shown_windows "$title"); do
            if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: ${size}\$"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# The visible windows with exactly this title; icons docked in the tray are left out.
shown_windows() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [[ -n "${TRAY_PID:-}" ]] && in_tray "$id" && continue
        echo "$id"
    done
}

# True while some visible window has this title.
window_shown() {
    [[ -n "$(shown_windows "$1")" ]]
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

# Starts the game (with any arguments given after it), clicks the title picture and waits for
# the main window; sets GAME_PID, main (the window) and menu (the height of the menu bar above
# the 536 x 350 client area).
start_game() {
    "$@" &
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

# Loads a saved game from the game folder through "Файл" → "Загрузить игру"; with a second
# argument, pictures the dialog under that name first.
load_save() {
    menu_item 20 2
    local dialog
    dialog=$(wait_window "Открыть" "[0-9]*x[0-9]*" 5) || fail "no open-file dialog"
    sleep 0.5
    [[ -n "${2:-}" ]] && screenshot "$dialog" "$2"
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

# Begs for an hour from the main window and comes back to it; needs $main and $menu.
beg_an_hour() {
    local beg
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
}
