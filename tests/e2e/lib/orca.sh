# Orca, the screen reader, on the script's session bus (and the accessibility bus it starts),
# speaking through a speech-dispatcher of the script's own with its dummy output module; home,
# settings and sockets all under the script's folder. Its log, ORCA_LOG, holds a SPEECH OUTPUT
# line for each utterance.
start_orca() {
    local home="$DESKTOP_DIR/orca" shim
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
    PATH="$home/bin:$PATH" ORCA_LOG="$ORCA_LOG" PYTHONPATH="$home" HOME="$home" XDG_CONFIG_HOME="$home/config" \
        XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/run" \
        SPEECHD_ADDRESS="unix_socket:$home/run/speechd.sock" GSETTINGS_BACKEND=memory \
        orca --user-prefs "$home/prefs" --debug-file "$ORCA_LOG" >"$DESKTOP_DIR/orca.out" 2>&1 &
    ORCA_PID=$!
    wait_until 30 spoken_matches . ||
        fail "Orca did not start speaking: $(tail -n5 "$DESKTOP_DIR/orca.out" "$ORCA_LOG")"
}

# Ends Orca, then speech-dispatcher; each gets 5 s, as a shutdown may hang on a bus or a
# client that is going away. What either leaves goes with the script's process group.
stop_orca() {
    local pid
    for pid in ${ORCA_PID:-} ${SPEECHD_PID:-}; do
        kill "$pid" 2>/dev/null
        wait_until 5 not kill -0 "$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null
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
