# A private sound server, and recordings of what it plays.

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
        # session bus, it neither announces itself on the bus nor has one launched for it.
        # norewinds: a sink that rewinds mixes a new sound into time it has already passed to
        # the monitor, and the recording loses the sound's first milliseconds.
        "${server[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --system=no --log-target=stderr \
            -L "module-null-sink sink_name=$SOUND_SINK norewinds=1" \
            -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
            >"$dir/log" 2>&1 &
        SOUND_PIDS=($!)
        export PULSE_SERVER="unix:$dir/native"
        ;;
    pipewire)
        # WirePlumber gives up without a session bus: the script's.
        server+=(DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS")
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
    if ! wait_alive 10 "${SOUND_PIDS[*]}" pactl info >/dev/null 2>&1; then
        alive "${SOUND_PIDS[@]}" || fail "the sound server ended at start: $(tail -n3 "$dir/log")"
        fail "the sound server at $PULSE_SERVER does not answer within 10 s"
    fi
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

SOUND_PIDS=()
