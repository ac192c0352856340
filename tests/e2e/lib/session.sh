# The script's own desktop session: its scratch home, its time limit and session bus, the X
# server (bare, with openbox or xfwm4, or Xwayland under weston or mutter), and stop_all,
# which ends everything at exit.

# Ends the script, from a subshell too: inside $(…) or a pipe, exit alone would leave only
# the subshell, and the script would go on with an empty value.
fail() {
    echo "FAIL: $*" >&2
    [[ "$BASHPID" == "$$" ]] || kill -USR1 "$$"
    exit 1
}

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

# Runs a command until it succeeds, as wait_until does while the processes given (a list in
# one word) live; false once one has ended.
wait_alive() {
    local seconds=$1 pids=$2
    shift 2
    wait_until "$seconds" ended_or "$pids" "$@"
    alive $pids && "$@"
}
alive() {
    local pid
    for pid; do
        kill -0 "$pid" 2>/dev/null || return 1
    done
}
ended_or() { ! alive $1 || "${@:2}"; }

# Once per script, the script runs again as the work of a process group of its own, on a
# private session bus kept off the user's display. Ctest kills a script past its TIMEOUT with
# SIGKILL, and what it started would stay: past TEST_TIME_LIMIT seconds (ctest's TIMEOUT less a
# few) the whole group is told to stop instead, so that whatever the script waits on returns
# and its exit stops the rest; what still runs a while later is killed.
if [[ -z "${E2E_WORK:-}" ]]; then
    E2E_WORK=1 timeout -k 10 "${TEST_TIME_LIMIT:-0}" env -u DISPLAY -u WAYLAND_DISPLAY \
        dbus-run-session -- "$BASH" "$0" "$@" &
    work=$!
    trap 'kill -TERM -- "-$work" 2>/dev/null' INT TERM HUP
    until wait "$work"; status=$?; ! kill -0 "$work" 2>/dev/null; do :; done
    ((status != 124 && status != 137)) || echo "FAIL: $0 ran out of its $TEST_TIME_LIMIT s" >&2
    for _ in $(seq 100); do
        kill -0 -- "-$work" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL -- "-$work" 2>/dev/null || true
    exit "$status"
fi

# Folders and files removed at exit, and commands run then, once everything is stopped.
REMOVE_AT_EXIT=()
AT_EXIT=()

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
    # Stopped from outside, the X server is being stopped too and holds nothing.
    for signal in TERM INT HUP; do
        trap "STOPPED=yes; fail 'stopped by SIG$signal'" "$signal"
    done
fi

stop_all() {
    local held=
    if [[ -n "${XVFB_PID:-}" && -z "${STOPPED:-}" ]]; then
        held=$("$XWIN" held 2>/dev/null) || held="(the X server did not answer)"
    fi
    [[ -n "${ORCA_PID:-}${SPEECHD_PID:-}" ]] && stop_orca
    local pid
    for pid in ${GAME_PID:-} ${RECORDER_PID:-} ${TRAY_PID:-} ${SNI_PID:-} ${WM_PID:-} \
        ${SOUND_PIDS[@]+"${SOUND_PIDS[@]}"} ${WESTON_PID:-} ${XVFB_PID:-}; do
        kill "$pid" 2>/dev/null
    done
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

# Xorg with its dummy video driver in Xvfb's place, with openbox: its screen of 1920x1080 shrinks
# to 800x600 through xrandr as a monitor's does, which Xvfb's never does. Only root may hand
# Xorg a configuration of its own.
start_xorg() {
    local fdfile="$DESKTOP_DIR/display" config="$DESKTOP_DIR/xorg.conf"
    cat >"$config" <<'EOF'
Section "Device"
    Identifier "card"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125
    Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628
EndSection
Section "Screen"
    Identifier "screen"
    Device "card"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1920x1080" "800x600"
    EndSubSection
EndSection
EOF
    Xorg -displayfd 3 -config "$config" -logfile "$DESKTOP_DIR/xorg.log" -noreset -nolisten tcp \
        -novtswitch -sharevts 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    wait_alive 10 "$XVFB_PID" test -s "$fdfile" || fail "Xorg did not start: $(tail -n3 "$DESKTOP_DIR/xorg.log")"
    export DISPLAY=":$(head -n1 "$fdfile")"
    wait_until 5 xdpyinfo >/dev/null 2>&1 || fail "Xorg on $DISPLAY does not answer"
    start_wm openbox
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
        # xfwm4 reads its settings over the session bus. Left to GTK it would also start an
        # accessibility bus and name it on the root window, where the game and the
        # playthrough would take it for theirs.
        NO_AT_BRIDGE=1 xfwm4 --replace --compositor=off >"$log" 2>&1 &
        ;;
    *)
        fail "no window manager '$name': openbox, xfwm4 or none"
        ;;
    esac
    WM_PID=$!
    wait_alive 10 "$WM_PID" wm_is "$expected" && return 0
    alive "$WM_PID" || fail "$name ended at start: $(tail -n5 "$log")"
    fail "$name does not manage $DISPLAY within 10 s (window manager seen: '$("$XWIN" wm)'): $(tail -n5 "$log")"
}

wm_is() { [[ "$("$XWIN" wm 2>/dev/null)" == "$1" ]]; }

# A Wayland desktop instead: weston with Xwayland, the game's platform left to the game and
# Qt's Wayland plugin at hand; exports WAYLAND_DISPLAY and DISPLAY, the Xwayland one, where
# the game's windows must come up as X11 windows for the helpers to find them. Weston's
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
    xwayland_in_log "$log" 'xserver listening on display' 10 weston
    wm_is "Weston WM" || fail "weston does not manage $DISPLAY"
}

# Exports DISPLAY as the compositor's log names it after the words given, waiting up to
# SECONDS for the line, then for Xwayland to answer there.
xwayland_in_log() {
    wait_until "$3" grep -qs "$2" "$1" || fail "$4 did not offer Xwayland: $(tail -n5 "$1")"
    export DISPLAY=$(sed -n "s/.*$2 \(:[0-9]*\).*/\1/p" "$1")
    wait_until 20 xdpyinfo >/dev/null 2>&1 || fail "Xwayland on $DISPLAY does not answer"
}

# A GNOME session without a tray extension: mutter, the window manager of gnome-shell, headless
# on Wayland with Xwayland, with no system bus, the game's platform left to the game (set but
# empty, as some sessions export it). Exports WAYLAND_DISPLAY, DISPLAY and XAUTHORITY
# (Xwayland's), where the game's windows come up as X11 windows. mutter owns that X server:
# kept as XVFB_PID, it is stopped last and its keys checked by stop_all.
start_gnome_session() {
    local log="$DESKTOP_DIR/mutter.log"
    export XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=skitalia-gnome QT_QPA_PLATFORM=
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$DESKTOP_DIR/no-system-bus"
    # A booted system has the X sockets' folder, made by systemd-tmpfiles; mutter 48 would make
    # it without the write bits for others, then refuse it.
    [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix || fail "no /tmp/.X11-unix for Xwayland"
    GSETTINGS_BACKEND=memory mutter --headless --wayland --virtual-monitor 1024x768 --sm-disable \
        --wayland-display="$WAYLAND_DISPLAY" >"$log" 2>&1 &
    XVFB_PID=$!
    XAUTHORITY=$(wait_until 30 compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*") || fail "mutter wrote no X authority"
    export XAUTHORITY
    xwayland_in_log "$log" 'Using public X11 display' 30 mutter
    wait_until 10 wm_is Mutter || fail "mutter does not manage $DISPLAY: $(tail -n5 "$log")"
}

# A copy of the game's folder (the executable and its files) in FOLDER, removed at the end,
# so that saved games do not litter the build; COPY is the executable in it.
copy_game_folder() {
    FOLDER=$(mktemp -d)
    REMOVE_AT_EXIT+=("$FOLDER")
    cp -r "$(dirname "$GAME")"/. "$FOLDER"
    COPY="$FOLDER/$(basename "$GAME")"
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
