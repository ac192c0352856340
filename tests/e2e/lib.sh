# Helpers for driving the real game on a player's desktop: a private X server with a window
# manager, and on request a tray and a sound server, all of them private to the script and
# stopped at its end by stop_all, from a trap. Source this file, then call start_xvfb first;
# each helper says what it does where it is defined.
#
# Every key and click goes through press_keys, type_text, click_in and click_at: each
# releases whatever it pressed, even when the window it went to vanished on the way. At
# exit, a key or pointer button still held on the X server fails the script.
# Clicks inside one window are handled in the order sent, so a click on a tab needs no wait
# before a click on its page; a click into a window that another click opens waits for it.

set -uo pipefail
# A script gets the game's executable and the folder for its screenshots.
GAME=${1:-}
SHOTS=${2:-}

# Ends the script, from a subshell too: inside $(…) or a pipe, exit alone would leave only
# the subshell, and the script would go on with an empty value.
fail() {
    echo "FAIL: $*" >&2
    [[ "$BASHPID" == "$$" ]] || kill -USR1 "$$"
    exit 1
}

# The processes under the given one, all generations, leaving out the branch of the second.
processes_under() {
    ps -e -o pid= -o ppid= | awk -v top="$1" -v spared="$2" '{ parent[$1] = $2 }
        END { for (p in parent) { for (q = p; q in parent && q != top && q != spared; ) q = parent[q]
                                  if (q == top && p != top) print p } }'
}

# Ctest kills a script past its TIMEOUT with SIGKILL, and what it started would stay. With
# TEST_TIME_LIMIT seconds (ctest's TIMEOUT less a few) the script stops itself first: every
# process under it ends, so that whatever it waits on returns, then the script, whose exit
# removes the rest.
start_watchdog() {
    local script=$$
    (
        trap 'kill "$timer" 2>/dev/null; wait "$timer"; exit 0' TERM
        sleep "$1" &
        timer=$!
        wait "$timer"
        echo "FAIL: $0 ran out of its $1 s" >&2
        kill -USR2 "$script"
        kill $(processes_under "$script" "$BASHPID") 2>/dev/null
    ) &
    WATCHDOG_PID=$!
}

# Once per script (a script's subprocess that sources this file again is left alone): a
# scratch folder removed at exit, and in it the home and the XDG folders of a player of its
# own, so that nothing of the user's feeds in and nothing the test writes lands in the user's.
if [[ -z "${DESKTOP_DIR:-}" ]]; then
    DESKTOP_DIR=$(mktemp -d)
    export DESKTOP_DIR HOME="$DESKTOP_DIR/home" XDG_CONFIG_HOME="$DESKTOP_DIR/home/.config" \
        XDG_DATA_HOME="$DESKTOP_DIR/home/.local/share" XDG_CACHE_HOME="$DESKTOP_DIR/home/.cache" \
        XDG_STATE_HOME="$DESKTOP_DIR/home/.local/state" XDG_RUNTIME_DIR="$DESKTOP_DIR/runtime"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    trap 'stop_all' EXIT
    trap 'exit 1' USR1
    trap 'OUT_OF_TIME=yes; exit 1' USR2
    for signal in TERM INT HUP; do
        trap "fail 'stopped by SIG$signal'" "$signal"
    done
    [[ -z "${TEST_TIME_LIMIT:-}" ]] || start_watchdog "$TEST_TIME_LIMIT"
fi

# The X server and its window manager: openbox (the default), xfwm4, or none for a bare
# server; exports DISPLAY.
start_xvfb() {
    local wm=${1:-openbox} fdfile="$DESKTOP_DIR/display"
    # -noreset: a server that resets when its last client leaves refuses the next one a while.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    wait_until 5 test -s "$fdfile" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    wait_until 5 xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
    [[ "$wm" == none ]] || start_wm "$wm"
}

# A Wayland desktop instead: weston with Xwayland, the game's platform left to the game and
# Qt's Wayland plugin at hand; exports WAYLAND_DISPLAY and DISPLAY, the Xwayland one, where
# the game's windows must come up as X11 windows for the helpers below to find them. Weston's
# headless backend has no seat, so nothing would ever take the keyboard: weston runs in a
# private Xvfb instead, WESTON_HOST, which the game is not told of.
start_wayland_session() {
    start_xvfb none
    local log="$DESKTOP_DIR/weston.log"
    WESTON_HOST=$DISPLAY
    export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=skitalia-wayland
    # Set but empty, as some sessions export it: the game still counts it as no choice.
    export QT_QPA_PLATFORM=
    weston --backend=x11-backend.so --use-pixman --width=1024 --height=768 --no-config \
        --xwayland --socket="$WAYLAND_DISPLAY" --log="$log" >/dev/null 2>&1 &
    WESTON_PID=$!
    # Weston names the X display it listens on; Xwayland itself starts at the first client.
    wait_until 10 grep -qs 'xserver listening on display' "$log" ||
        fail "weston did not offer Xwayland: $(tail -n5 "$log")"
    DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log")
    wait_until 15 xdpyinfo >/dev/null 2>&1 || fail "Xwayland on $DISPLAY does not answer"
    [[ "$(wm_name)" == "Weston WM" ]] || fail "weston does not manage $DISPLAY"
}

# Fails unless the game's window is an X11 one about centred on the screen (the frame the
# window manager adds may push it a little), asking for no minimise, maximise or close button.
placed_by_game() {
    local x y w h hints flags functions decorations
    read -r x y w h <<<"$(xwininfo -id "$1" |
        sed -n 's/^ *\(Absolute upper-left [XY]\|Width\|Height\): *//p' | tr '\n' ' ')"
    local dx=$((x * 2 + w - 1024)) dy=$((y * 2 + h - 768))
    ((dx * dx <= 64 * 64 && dy * dy <= 64 * 64)) || fail "$2 at $x,$y ($w x $h), not centred"
    # Motif hints: flags, functions, decorations; a frame without decorations has no buttons.
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS |
        sed -n 's/.* = \(0x[0-9a-f]*\), \(0x[0-9a-f]*\), \(0x[0-9a-f]*\),.*/\1 \2 \3/p')
    read -r flags functions decorations <<<"$hints"
    [[ -n "$hints" ]] && (((flags & 2 && decorations == 0) || (flags & 1 && !(functions & 0x38)))) ||
        fail "$2 lets the window manager add frame buttons: _MOTIF_WM_HINTS '$hints'"
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
        # included).
        cp /etc/xdg/openbox/rc.xml "$DESKTOP_DIR/openbox.xml" || fail "no openbox configuration"
        openbox --sm-disable --config-file "$DESKTOP_DIR/openbox.xml" >"$log" 2>&1 &
        ;;
    xfwm4)
        expected=Xfwm4
        # xfwm4 reads its settings over D-Bus; a bus of its own keeps the user's away. Left
        # to GTK it would also start an accessibility bus and name it on the root window,
        # where the game and the playthrough would take it for theirs.
        start_session_bus
        DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS" NO_AT_BRIDGE=1 \
            xfwm4 --replace --compositor=off >"$log" 2>&1 &
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
    wait_until 5 test -s "$address" || fail "the private D-Bus session bus did not start"
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

# Starts a StatusNotifier tray on the private session bus: a panel that runs the watcher
# (org.kde.StatusNotifierWatcher) itself and shows the icons registered with it. Waits until
# the watcher has its host, as Qt asks at start when it picks its tray. Sets SNI_PID.
start_sni_tray() {
    local log="$DESKTOP_DIR/sni-tray.log"
    start_session_bus
    # Now and then the tray does not come up (its own watcher refused it, UnknownObject): as
    # a panel's session does, it is started again.
    for _ in 1 2 3; do
        DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS" NO_AT_BRIDGE=1 \
            gtk-sni-tray-standalone --watcher --bottom >>"$log" 2>&1 &
        SNI_PID=$!
        wait_until 10 sni_host_ready_or_ended
        sni_host_ready && return 0
        echo "the StatusNotifier tray did not start, once more: $(tail -n1 "$log")" >&2
        stop_sni_tray
    done
    fail "the StatusNotifier tray did not start: $(tail -n5 "$log")"
}

# Ends the StatusNotifier tray, watcher and all, as a panel that crashes.
stop_sni_tray() {
    kill "$SNI_PID" 2>/dev/null
    wait "$SNI_PID" 2>/dev/null
    SNI_PID=
}

bus_call() { gdbus call --address "$SESSION_BUS" "$@" 2>/dev/null; }

watcher_property() {
    bus_call -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1"
}

sni_host_ready() { [[ "$(watcher_property IsStatusNotifierHostRegistered)" == "(<true>,)" ]]; }
sni_host_ready_or_ended() { sni_host_ready || ! kill -0 "$SNI_PID" 2>/dev/null; }

# Prints the bus name of the game's icon as the StatusNotifier watcher lists it; false while
# it lists none of the game's. Needs GAME_PID.
sni_item_of_game() {
    local item
    for item in $(watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"); do
        item=${item%%/*}
        [[ "$(bus_call -d org.freedesktop.DBus -o /org/freedesktop/DBus \
            -m org.freedesktop.DBus.GetConnectionUnixProcessID "$item")" == "(uint32 $GAME_PID,)" ]] &&
            echo "$item" && return 0
    done
    return 1
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
tray_icon_of_game() { wait_until "${1:-10}" docked_icon_of_game; }

docked_icon_of_game() {
    local id X Y WIDTH HEIGHT
    for id in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); do
        in_tray "$id" || continue
        eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
        echo "$id $((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
        return 0
    done
    return 1
}

# The sink the sound server plays into; its monitor is what the recorder hears.
SOUND_SINK=e2e_speakers

# Starts a private sound server with a null sink as its default output, and points the game
# and the recorder at it. Nothing of the user's sound set-up is read or touched. The server is
# PulseAudio, or with SOUND_SERVER=pipewire PipeWire with its PulseAudio service and
# WirePlumber, as GNOME on Debian has it. Called again after stop_sound_server, it starts the
# server anew at the same address.
start_sound_server() {
    local dir="$DESKTOP_DIR/pulse"
    mkdir -p "$dir/home" "$dir/config" "$dir/runtime"
    chmod 700 "$dir/runtime"
    local server=(env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$dir/home"
        XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/config")
    case "${SOUND_SERVER:-pulseaudio}" in
    pulseaudio)
        # -n: no default script, only the two modules named here. As root the server warns
        # that it is meant for users and serves all the same. Kept off the display and the
        # session bus, it neither announces itself on the user's bus nor has one launched
        # for it. norewinds: a sink that rewinds mixes a new sound into time it has already
        # passed to the monitor, and the recording loses the sound's first milliseconds.
        "${server[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --system=no --log-target=stderr \
            -L "module-null-sink sink_name=$SOUND_SINK norewinds=1" \
            -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
            >"$dir/log" 2>&1 &
        SOUND_PIDS=($!)
        export PULSE_SERVER="unix:$dir/native"
        ;;
    pipewire)
        # WirePlumber gives up without a session bus: a private one.
        start_session_bus
        server+=(DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS")
        # A killed server leaves its socket behind, and WirePlumber would knock on that.
        rm -f "$dir/runtime/pipewire-0"
        "${server[@]}" pipewire >"$dir/log" 2>&1 &
        SOUND_PIDS=($!)
        wait_until 10 test -S "$dir/runtime/pipewire-0" ||
            fail "pipewire did not start: $(tail -n3 "$dir/log")"
        "${server[@]}" wireplumber >>"$dir/log" 2>&1 &
        SOUND_PIDS+=($!)
        "${server[@]}" pipewire-pulse >>"$dir/log" 2>&1 &
        SOUND_PIDS+=($!)
        export PULSE_SERVER="unix:$dir/runtime/pulse/native"
        ;;
    *)
        fail "no sound server '$SOUND_SERVER': pulseaudio or pipewire"
        ;;
    esac
    # Its clients neither start a server of their own nor read the user's cookie or settings.
    printf 'autospawn = no\n' >"$dir/client.conf"
    export PULSE_CLIENTCONFIG="$dir/client.conf" PULSE_COOKIE="$dir/cookie"
    local pid
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        for pid in "${SOUND_PIDS[@]}"; do
            kill -0 "$pid" 2>/dev/null || fail "the sound server ended at start: $(tail -n3 "$dir/log")"
        done
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || fail "the sound server at $PULSE_SERVER does not answer within 10 s"
    if [[ "${SOUND_SERVER:-}" == pipewire ]]; then
        pactl load-module module-null-sink sink_name="$SOUND_SINK" \
            sink_properties=session.suspend-timeout-seconds=0 >/dev/null ||
            fail "no null sink on PipeWire"
    fi
    # PipeWire keeps the choice in WirePlumber's metadata: until WirePlumber has made it, a
    # second or more after the start on a busy machine, pipewire-pulse answers "Not supported".
    # WirePlumber takes the choice over a moment later.
    wait_until 10 sink_made_default ||
        fail "no sink $SOUND_SINK on the sound server: $(pactl set-default-sink "$SOUND_SINK" 2>&1)"
    wait_until 5 default_sink_is_ours || fail "$SOUND_SINK is not the default output"
}

sink_made_default() { pactl set-default-sink "$SOUND_SINK" 2>/dev/null; }
default_sink_is_ours() { pactl info | grep -qx "Default Sink: $SOUND_SINK"; }

# Stops the sound server, as a crash or an upgrade does, and waits until it is gone.
stop_sound_server() {
    ((${#SOUND_PIDS[@]} == 0)) && return 0
    kill "${SOUND_PIDS[@]}" 2>/dev/null
    wait "${SOUND_PIDS[@]}" 2>/dev/null
    SOUND_PIDS=()
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

# Ends the recording and completes the file.
stop_recording() {
    [[ -n "${RECORDER_PID:-}" ]] || return 0
    # An interrupted parecord writes the WAV header's lengths before it leaves.
    kill -INT "$RECORDER_PID" 2>/dev/null
    wait "$RECORDER_PID" 2>/dev/null
    RECORDER_PID=
    [[ -s "$RECORDING" ]] || fail "the recording $RECORDING is empty"
}

# The RMS amplitude (0 to 1) of LENGTH seconds of a WAV file from FROM seconds on. A stretch
# that was not measured in full (past the recording's end, or sox's nan) fails the script:
# judged, it would pass for silence.
rms() {
    local report measured value
    report=$(LC_ALL=C sox "$1" -n trim "$2" "$3" stat 2>&1)
    measured=$(sed -n 's/^Length (seconds): *//p' <<<"$report")
    value=$(sed -n 's/^RMS *amplitude: *//p' <<<"$report")
    awk -v got="$measured" -v asked="$3" 'BEGIN { exit !(got != "" && got + 0.001 >= asked) }' ||
        fail "$2 s + $3 s of $1 not measured: ${measured:-no} s of it there"
    [[ "$value" =~ ^[0-9]+\.[0-9]+$ ]] || fail "no RMS for $2 s + $3 s of $1: '$value'"
    echo "$value"
}

# The length of a sound file in seconds.
length_of() {
    LC_ALL=C soxi -D "$1" 2>/dev/null || fail "no length for $1"
}

# Folders and files removed at exit, and commands run then, once everything is stopped.
SOUND_PIDS=()
REMOVE_AT_EXIT=()
AT_EXIT=()

stop_all() {
    local held=
    # Out of time, the server is already stopped and holds nothing.
    if [[ -n "${XVFB_PID:-}" && -z "${OUT_OF_TIME:-}" ]]; then
        held=$(x_input held 2>/dev/null) || held="(the X server did not answer)"
    fi
    [[ -n "${WATCHDOG_PID:-}" ]] && kill "$WATCHDOG_PID" 2>/dev/null
    [[ -n "${GAME_PID:-}" ]] && kill "$GAME_PID" 2>/dev/null
    [[ -n "${RECORDER_PID:-}" ]] && kill "$RECORDER_PID" 2>/dev/null
    [[ -n "${TRAY_PID:-}" ]] && kill "$TRAY_PID" 2>/dev/null
    [[ -n "${SNI_PID:-}" ]] && kill "$SNI_PID" 2>/dev/null
    [[ -n "${WM_PID:-}" ]] && kill "$WM_PID" 2>/dev/null
    ((${#SOUND_PIDS[@]} == 0)) || kill "${SOUND_PIDS[@]}" 2>/dev/null
    [[ -n "${BUS_PID:-}" ]] && kill "$BUS_PID" 2>/dev/null
    [[ -n "${WESTON_PID:-}" ]] && kill "$WESTON_PID" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [[ -n "${DESKTOP_DIR:-}" ]] && rm -rf "$DESKTOP_DIR"
    ((${#REMOVE_AT_EXIT[@]} == 0)) || rm -rf "${REMOVE_AT_EXIT[@]}"
    local command
    for command in "${AT_EXIT[@]}"; do
        "$command"
    done
    # A key left down repeats into whatever comes next, on this server and in the player's
    # world alike; the script that left it fails.
    if [[ -n "$held" ]]; then
        echo "FAIL: held down on the X server at the end: $held" >&2
        exit 1
    fi
    true
}

# The keys and pointer buttons held down on the X server ("held"), or releases them all
# ("release"). Held keys print as "key CODE", buttons as "button N"; nothing when none is.
x_input() {
    python3 - "$1" <<'PY'
import ctypes as c, sys
x, xtest, p = c.CDLL("libX11.so.6"), c.CDLL("libXtst.so.6"), c.c_void_p
x.XOpenDisplay.restype, x.XDefaultRootWindow.restype = p, c.c_ulong
x.XDefaultRootWindow.argtypes = x.XSync.argtypes = [p]
display = p(x.XOpenDisplay(None) or sys.exit("cannot open the display"))
keymap, mask, ignored = (c.c_char * 32)(), c.c_uint(), (c.c_ulong * 6)()
x.XQueryKeymap(display, keymap)
x.XQueryPointer(display, c.c_ulong(x.XDefaultRootWindow(display)),
                *[c.byref(ignored, 8 * i) for i in range(6)], c.byref(mask))
keys = [i * 8 + bit for i, byte in enumerate(keymap.raw) for bit in range(8) if byte >> bit & 1]
buttons = [b for b in range(1, 6) if mask.value & 1 << (7 + b)]
if sys.argv[1] == "release":
    for key in keys:
        xtest.XTestFakeKeyEvent(display, key, 0, c.c_ulong(0))
    for button in buttons:
        xtest.XTestFakeButtonEvent(display, button, 0, c.c_ulong(0))
    x.XSync(display, 0)
else:
    print(" ".join([f"key {k}" for k in keys] + [f"button {b}" for b in buttons]))
PY
}

# Runs xdotool to press keys or buttons, then releases whatever is still held.
x_send() {
    local status=0
    xdotool "$@" || status=$?
    x_input release
    return $status
}

# Presses keys (xdotool's names) in the window that has the focus, or with --window ID in
# that window, which is activated first; fails when it is gone.
press_keys() {
    if [[ "$1" == --window ]]; then
        timeout 5 xdotool windowactivate --sync "$2" 2>/dev/null || return 1
        shift 2
    fi
    x_send key --delay 60 "$@"
}

type_text() { x_send type --delay 20 "$1"; }

# Clicks at a point of the window, or of the screen, once or COUNT times 80 ms apart.
click_in() { x_send mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 80 1; }
click_at() { x_send mousemove "$1" "$2" click --repeat "${3:-1}" --delay 80 1; }

# Runs a command until it succeeds, for at most the given whole seconds: the one deadline of
# every wait here. SECONDS counts whole seconds, so a deadline taken from it may come at once;
# the clock's microseconds are used.
wait_until() {
    local seconds=$1
    shift
    local deadline=$((${EPOCHREALTIME//[^0-9]/} + seconds * 1000000))
    until "$@"; do
        ((${EPOCHREALTIME//[^0-9]/} < deadline)) || return 1
        sleep 0.05
    done
}

not() { ! "$@"; }

# Waits until the window has the keyboard, as the window manager gives it to a new window.
wait_active() {
    wait_until 15 active_is "$1" || fail "${2:-the window $1} never took the keyboard"
}

# Waits until no window with this title is shown.
wait_gone() {
    wait_until 15 not window_shown "$1" || fail "«$1» is still shown"
}

active_is() { [[ "$(xdotool getactivewindow 2>/dev/null)" == "$1" ]]; }

# Pictures the window (or root) into a file of import's, failing the script when the window
# is gone or hidden: import waits for ever on a window that has gone, holding a grab of the X
# server that blocks every other client, and grabs nothing of an unmapped one.
grab() {
    local state=IsViewable
    [[ "$1" == root ]] || state=$(xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: //p')
    [[ "$state" == IsViewable ]] || fail "no picture of the window $1: ${state:-it is gone}"
    timeout 10 import -window "$1" "$2" 2>/dev/null || fail "no picture of the window $1 within 10 s"
}

# A fingerprint of what the window shows now.
picture_of() {
    local file="$DESKTOP_DIR/picture-$BASHPID.rgb"
    grab "$1" "rgb:$file"
    [[ -s "$file" ]] || fail "an empty picture of the window $1"
    md5sum <"$file"
    rm "$file"
}

# Waits until the window shows the same picture three times, INTERVAL seconds apart: it is
# drawn, or the reels have stopped. Gives up, false, after SECONDS (20 unless given).
wait_still() {
    LAST_PICTURE= SAME_PICTURES=0
    wait_until "${3:-20}" shows_still "$1" "$2"
}

shows_still() {
    local now
    now=$(picture_of "$1")
    [[ "$now" == "$LAST_PICTURE" ]] && ((++SAME_PICTURES >= 2)) && return 0
    [[ "$now" == "$LAST_PICTURE" ]] || SAME_PICTURES=0
    LAST_PICTURE=$now
    sleep "$2"
    return 1
}

picture_is_not() {
    local now
    now=$(picture_of "$1")
    [[ "$now" != "$2" ]]
}

# Waits until the window shows something other than the fingerprint taken before WHAT.
wait_changed() {
    wait_until 10 picture_is_not "$1" "$2" || fail "$3 changed nothing on the screen"
}

# Prints the id of the visible window with exactly this title and size (WxH), waiting up to
# the given seconds for it.
wait_window() { wait_until "${3:-15}" window_of "$1" "$2"; }

window_of() {
    local id
    for id in $(shown_windows "$1"); do
        xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: ${2}\$" && echo "$id" && return 0
    done
    return 1
}

# The visible windows with exactly this title; icons docked in the tray are left out, and so are
# mutter's frames, which since mutter 44 are windows of a client of its own, titled as the
# window they frame.
shown_windows() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [[ -n "${TRAY_PID:-}" ]] && in_tray "$id" && continue
        mutter_frame "$id" && continue
        echo "$id"
    done
}

mutter_frame() { [[ "$(xprop -id "$1" _MUTTER_FRAME_FOR 2>/dev/null)" == *"window id"* ]]; }

# The game's visible window of this size (a pattern), other than the one given, waiting up to
# 15 seconds. Found by process, not by title: the death screen has none, and with LANG=C Qt
# writes the titles into WM_NAME as raw UTF-8, where xdotool cannot match them.
game_window() { wait_until 15 game_window_now "$1" "${2:-}"; }

game_window_now() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); do
        [[ "$id" != "$2" ]] && xdotool getwindowgeometry "$id" 2>/dev/null |
            grep -q "Geometry: ${1}\$" && echo "$id" && return 0
    done
    return 1
}

# True while some visible window has this title.
window_shown() {
    [[ -n "$(shown_windows "$1")" ]]
}

window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'
}

# Pictures the window as NAME.png among the screenshots, once it is drawn.
screenshot() {
    mkdir -p "$SHOTS"
    # A blinking caret may keep a window from ever coming to rest: then it is pictured anyway.
    [[ "$1" == root ]] || wait_still "$1" 0.1 5
    grab "$1" "$SHOTS/$2.png"
}

# A copy of the game's folder (the executable and its files) in FOLDER, removed at the end,
# so that saved games do not litter the build; COPY is the executable in it.
copy_game_folder() {
    FOLDER=$(mktemp -d)
    REMOVE_AT_EXIT+=("$FOLDER")
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
    title=$(wait_window "Скиталия" "176x230") || fail "no title window"
    click_in "$title" 80 100
    main=$(wait_window "Скиталия" "536x[0-9]*") || fail "no main window"
    size=$(window_size "$main")
    menu=$((${size#*x} - 350))
}

# Becomes a command run as USER with HOME, given variables (NAME=VALUE) and nothing else of
# the script's environment, as a session whose PATH lacks /usr/games has it; as the script's
# own user when it cannot switch; inside PLAYER_SYSTEM when that names another system's root.
# For a job in the background, which it then is, to be killed.
# Its runtime folder is in HOME: without one Qt makes /tmp/runtime-USER and leaves it there.
as_player() {
    local switch=() runtime="$2/.runtime"
    mkdir -p -m 700 "$runtime"
    if ((EUID == 0)); then
        chown "$1": "$runtime"
        switch=(${PLAYER_SYSTEM:+chroot "$PLAYER_SYSTEM"} runuser -u "$1" --)
    fi
    exec "${switch[@]}" env -i HOME="$2" XDG_RUNTIME_DIR="$runtime" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
        LANG=C.UTF-8 "${@:3}"
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
    local id
    for id in $(xdotool search --onlyvisible --maxdepth 1 --classname '^ru\.skitalia\.Skitalia$' 2>/dev/null); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP ||
            return 0
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

# A GNOME session without a tray extension: mutter, the window manager of gnome-shell, headless
# on Wayland with Xwayland, on a private session bus and with no system bus, the game's
# platform left to the game (set but empty, as some sessions export it). Exports
# WAYLAND_DISPLAY, DISPLAY and XAUTHORITY (Xwayland's), where the game's windows come up as
# X11 windows. mutter owns that X server: kept as XVFB_PID, it is stopped last and its keys
# checked by stop_all.
start_gnome_session() {
    local log="$DESKTOP_DIR/mutter.log"
    export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=skitalia-gnome QT_QPA_PLATFORM=
    unset DISPLAY
    start_session_bus
    export DBUS_SESSION_BUS_ADDRESS=$SESSION_BUS
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$DESKTOP_DIR/no-system-bus"
    # A booted system has the X sockets' folder, made by systemd-tmpfiles; mutter 48 would make
    # it without the write bits for others, then refuse it.
    [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix || fail "no /tmp/.X11-unix for Xwayland"
    GSETTINGS_BACKEND=memory mutter --headless --wayland --virtual-monitor 1024x768 --sm-disable \
        --wayland-display="$WAYLAND_DISPLAY" >"$log" 2>&1 &
    XVFB_PID=$!
    wait_until 30 grep -qs 'Using public X11 display' "$log" ||
        fail "mutter did not offer Xwayland: $(tail -n5 "$log")"
    DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$log")
    XAUTHORITY=$(compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*") || fail "mutter wrote no X authority"
    export DISPLAY XAUTHORITY
    wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "Xwayland on $DISPLAY does not answer"
    wait_until 10 mutter_manages || fail "mutter does not manage $DISPLAY: $(tail -n5 "$log")"
}

mutter_manages() { [[ "$(wm_name)" == Mutter ]]; }

# True while the window is minimised: its ICCCM state is Iconic.
iconic() {
    [[ "$(xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')" == Iconic ]]
}

# The window's place on the screen, "X Y"; a window manager may animate it there.
window_place() {
    xwininfo -id "$1" | sed -n 's/^ *Absolute upper-left [XY]: *//p' | tr '\n' ' '
}
at_place() { [[ "$(window_place "$1")" == "$2" ]]; }

# placed_by_game for mutter's frame, whose title bar is taller than that check allows for: the
# frame (the client and the extents mutter names) must be about centred, and the window must
# ask for no frame buttons: no decorations, or functions without minimise, maximise and close.
placed_in_frame() {
    local x y w h left right top bottom flags functions decorations
    read -r x y w h <<<"$(xwininfo -id "$1" |
        sed -n 's/^ *\(Absolute upper-left [XY]\|Width\|Height\): *//p' | tr '\n' ' ')"
    IFS=', ' read -r left right top bottom <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p')"
    local dx=$(((x - ${left:-0}) * 2 + w + ${left:-0} + ${right:-0} - 1024))
    local dy=$(((y - ${top:-0}) * 2 + h + ${top:-0} + ${bottom:-0} - 768))
    ((dx * dx <= 64 * 64 && dy * dy <= 64 * 64)) || fail "$2 framed at $x,$y ($w x $h), not centred"
    IFS=', ' read -r flags functions decorations _ <<<"$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.* = //p')"
    ((${flags:-0} & 2 && decorations == 0 || ${flags:-0} & 1 && !(functions & 0x38))) ||
        fail "$2 lets mutter add frame buttons: $(xprop -id "$1" _MOTIF_WM_HINTS)"
}

# Orca, the screen reader, on the private session bus (and the accessibility bus it starts),
# speaking through a speech-dispatcher of the script's own with its dummy output module; home,
# settings and sockets all under the script's folder. Its log, ORCA_LOG, holds a SPEECH OUTPUT
# line for each utterance. The game started afterwards finds the bus through
# DBUS_SESSION_BUS_ADDRESS.
start_orca() {
    local home="$DESKTOP_DIR/orca" shim
    start_session_bus
    # The dummy module refuses to load without a sound device.
    start_sound_server
    mkdir -p "$home/config/speech-dispatcher" "$home/prefs" "$home/data" "$home/cache" "$home/bin"
    mkdir -m 700 "$home/run"
    # Orca refuses to start beside any other Orca of the user's, even one reading another
    # desktop (the developer's own, another test's): it looks for them with pgrep. The dummy
    # module plays one recorded notice for every utterance and cannot cut it short: under
    # load, Orca waited on it for seconds and stopped taking keys. Here it plays nothing.
    for shim in pgrep play aplay paplay; do
        printf '#!/bin/sh\nexit %d\n' "$([[ $shim == pgrep ]] && echo 1 || echo 0)" >"$home/bin/$shim"
        chmod +x "$home/bin/$shim"
    done
    printf '%s\n' 'AddModule "dummy" "sd_dummy" ""' 'DefaultModule dummy' 'AudioOutputMethod "pulse"' \
        >"$home/config/speech-dispatcher/speechd.conf"
    # A child of the script, so that it and its modules end with it, whatever happens.
    PATH="$home/bin:$PATH" HOME="$home" XDG_RUNTIME_DIR="$home/run" \
        speech-dispatcher --run-single --timeout 0 --communication-method unix_socket \
        --socket-path "$home/run/speechd.sock" --config-dir "$home/config/speech-dispatcher" \
        --pid-file "$home/run/speechd.pid" --log-dir "$home/run" >"$DESKTOP_DIR/speechd.out" 2>&1 &
    SPEECHD_PID=$!
    wait_until 10 test -S "$home/run/speechd.sock" ||
        fail "speech-dispatcher did not start: $(tail -n5 "$DESKTOP_DIR/speechd.out")"
    ORCA_LOG="$DESKTOP_DIR/orca.log"
    # Orca writes its log through a block buffer, and the last utterance would wait in it
    # for more events: the log file is opened line-buffered instead.
    cat >"$home/sitecustomize.py" <<'PY'
import builtins, os
_open = builtins.open
def _line_buffered(file, mode="r", buffering=-1, *args, **kwargs):
    if file == os.environ.get("ORCA_LOG") and "w" in mode:
        buffering = 1
    return _open(file, mode, buffering, *args, **kwargs)
builtins.open = _line_buffered
PY
    export DBUS_SESSION_BUS_ADDRESS="$SESSION_BUS"
    PATH="$home/bin:$PATH" ORCA_LOG="$ORCA_LOG" PYTHONPATH="$home" HOME="$home" XDG_CONFIG_HOME="$home/config" \
        XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" \
        SPEECHD_ADDRESS="unix_socket:$home/run/speechd.sock" GSETTINGS_BACKEND=memory \
        orca --user-prefs "$home/prefs" --debug-file "$ORCA_LOG" >"$DESKTOP_DIR/orca.out" 2>&1 &
    ORCA_PID=$!
    # Stopped first: the end waits for every process the script started.
    trap 'stop_orca; stop_all' EXIT
    wait_until 30 spoken_matches . ||
        fail "Orca did not start speaking: $(tail -n5 "$DESKTOP_DIR/orca.out" "$ORCA_LOG")"
}

# Ends Orca, then speech-dispatcher and its modules; each gets 5 s, as a shutdown may hang on
# a bus or a client that is going away.
stop_orca() {
    local pid
    for pid in ${ORCA_PID:-} ${SPEECHD_PID:-}; do
        local under
        under=$(processes_under "$pid" 0)
        kill "$pid" 2>/dev/null
        wait_until 5 not kill -0 "$pid" 2>/dev/null || kill -KILL "$pid" $under 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    ORCA_PID= SPEECHD_PID=
}

# The utterances Orca has logged so far, one a line.
spoken() {
    sed -n "s/^.* - SPEECH OUTPUT: '\(.*\)'\( *{.*}\)\?$/\1/p" "$ORCA_LOG" 2>/dev/null
}

spoken_matches() { spoken | grep -q -- "$1"; }

# Waits until Orca has said something matching the pattern (grep's), since the mark: the
# number of utterances before the key that should make it speak.
wait_spoken() {
    local mark=$1 pattern=$2 what=$3
    wait_until 20 spoken_since_matches "$mark" "$pattern" ||
        fail "Orca never said $what (/$pattern/); it said: $(spoken | tail -n +$((mark + 1)) | tr '\n' '|')"
}

spoken_since_matches() { spoken | tail -n +$(($1 + 1)) | grep -q -- "$2"; }

spoken_count() { spoken | wc -l; }

# The key presses or releases (PRESSED, RELEASED) Orca has been given so far, and whether it
# has been given COUNT more since a number of them.
orca_keys() { grep -ac "^^^^^^ PROCESS ATSPI_KEY_$1_EVENT" "$ORCA_LOG"; }
orca_keys_since() { (($(orca_keys "$1") >= $2 + $3)); }
