#!/usr/bin/env bash
# What the player hears, recorded from a private sound server while the real game plays: the
# greeting at start-up, then silence; the click of a main-window button; eating at the
# canteen; and the death sound starting again each time it ends for as long as he is dead,
# and again once the sound server has restarted. The greeting is swapped for one longer than
# the server's queue for a stream, and must be heard to its end. Idle, the game's streams are
# corked and named for a mixer. Every stretch checked is printed with its RMS. Runs in a copy
# of the game folder; the recordings are kept beside the screenshots.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_sound_server
copy_game_folder
# 7 s of 192 kHz stereo: 5.4 MB, past the 4 MiB a server queues for a stream.
sox -n -r 192000 -c 2 -b 16 "$FOLDER/2.wav" synth 7 sine 440 vol 0.3 || fail "no long greeting"
#          documents goods (bottles..meat)  money bag health feces fatigue satiety
write_save "$FOLDER/bread.sav" 0 0 0 0 0 1 0 0 0 0 0 0 2 100 0 0 100
write_save "$FOLDER/dead.sav" 0 0 0 0 0 0 0 0 0 0 0 0 2 -1 0 0 100

greeting=$(length_of "$FOLDER/2.wav")
click=$(length_of "$FOLDER/3.wav")
eating=$(length_of "$FOLDER/4.wav")
death=$(length_of "$FOLDER/7.wav")

# Seconds, added up with three decimals.
add() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'
}

sleep_until() {
    local left
    left=$(awk -v at="$1" -v now="$(recording_time)" 'BEGIN { printf "%.3f", at - now }')
    [[ "$left" == -* ]] || sleep "$left"
}

# The stretches to judge once the recording is complete: "loud|quiet FROM LENGTH what".
stretches=()
judge_later() {
    stretches+=("$1 $2 $3 $4")
}

failures=0
judged=0
# Judges the stretches noted so far against the recording just completed.
judge() {
    local stretch kind from length what value verdict
    for stretch in "${stretches[@]}"; do
        read -r kind from length what <<<"$stretch"
        value=$(rms "$RECORDING" "$from" "$length")
        if awk -v v="$value" -v kind="$kind" -v loud="$LOUD" -v quiet="$QUIET" \
            'BEGIN { exit !(kind == "loud" ? v > loud : v < quiet) }'; then
            verdict=ok
        else
            verdict=WRONG
            failures=$((failures + 1))
        fi
        printf '%-5s %7s s + %5s s  RMS %-9s %-5s %s\n' "$kind" "$from" "$length" "$value" "$verdict" "$what"
    done
    judged=$((judged + ${#stretches[@]}))
    stretches=()
}

# A sound reaches the recording at most some tens of milliseconds after its request; a sound
# is looked for from its request until its length and this much later.
LATE=0.4
# The recording's clock is told from the data's flow and is good to some milliseconds, and a
# sound is handed to the server at once: it may seem to start a little before its request.
# So a stretch keeps this far away from a request on the side before it.
EARLY=0.1
# Silence from the null sink is digital zero. The quietest sound, the click of 0.08 RMS over
# its 50 ms, played in full still comes to about 0.025 over its window.
QUIET=0.001
LOUD=0.01

mkdir -p "$SHOTS"
start_recording "$SHOTS/e2e-sound${SOUND_SERVER:+-$SOUND_SERVER}.wav"

launched=$(recording_time)
start_title "$COPY"
# The greeting is asked for while the title is created, so before it shows; the start-up
# may hold the sound back a little more.
greeting_over=$(add "$(add "$(recording_time)" "$greeting")" 1.0)
judge_later loud "$launched" "$(add "$greeting_over" "-$launched")" "the greeting at start-up"
judge_later quiet "$greeting_over" 1.500 "silence after the greeting"
sleep_until "$(add "$greeting_over" 1.5)"

# The six streams, idle: corked, so that the output may sleep, and named as the game.
idle_and_named() {
    local list expected
    list=$(LC_ALL=C pactl list sink-inputs) || return 1
    for expected in 'Corked: yes' 'media.role = "game"' 'application.name = "Скиталия"' \
        'application.id = "ru.skitalia.Skitalia"' 'application.icon_name = "ru.skitalia.Skitalia"'; do
        [[ $(grep -cF "$expected" <<<"$list") == 6 ]] || return 1
    done
}
wait_until 10 idle_and_named || fail "the idle streams are not all corked and named: $(LC_ALL=C pactl list sink-inputs |
    grep -E 'Corked|media.role|application.(name|id|icon_name)' | sort | uniq -c)"

enter_game
load_save bread.sav

# The tab plays the greeting again; the canteen's button is pressed once it has ended.
tab=$(recording_time)
click_in "$main" 115 $((menu + 51)) # the "Жизнедеятельность" tab
quiet_from=$(add "$(add "$tab" "$greeting")" "$LATE")
sleep_until "$(add "$quiet_from" 1.0)"
pressed=$(recording_time)
click_in "$main" 98 $((menu + 99)) # "Пожрать"
judge_later loud "$(add "$(add "$tab" "$greeting")" -1)" 1 "the greeting's last second"
judge_later quiet "$quiet_from" "$(add "$(add "$pressed" "-$quiet_from")" "-$EARLY")" "silence before the button"
judge_later loud "$(add "$pressed" "-$EARLY")" "$(add "$(add "$click" "$LATE")" "$EARLY")" "the click of \"Пожрать\""
canteen=$(wait_window "Столовая" "330x220" 5) || fail "no canteen"
# Nothing long follows the click: what was heard was the short click.
quiet_from=$(add "$(add "$pressed" "$click")" "$LATE")
judge_later quiet "$quiet_from" "$(add 1 "-$EARLY")" "silence after the click"
sleep_until "$(add "$quiet_from" 1.0)"

ate=$(recording_time)
click_in "$canteen" 235 40 # "Съесть буханку"
judge_later loud "$(add "$ate" "-$EARLY")" "$(add "$(add "$eating" "$LATE")" "$EARLY")" "eating a loaf"
quiet_from=$(add "$(add "$ate" "$eating")" "$LATE")
judge_later quiet "$quiet_from" "$(add 1 "-$EARLY")" "silence after eating"
sleep_until "$(add "$quiet_from" 1.0)"
click_in "$canteen" 165 182 # "НАЗАД"
main=$(wait_window "Скиталия" "536x[0-9]*" 5) || fail "no main window after the canteen"
sleep 1
stop_recording
judge

# While the server is away the player turns a page (the greeting), sleeps and goes to the
# toilet; none of it is heard when the server returns. Then the server ends the idle stream
# of the sleep sound on its own, and the next sleep is heard all the same.
# The game's streams as the server lists them, "ID FILE" a line; whatever else plays on the
# server is not the game's.
game_streams() {
    LC_ALL=C pactl list sink-inputs | awk '/^Sink Input #/ { id = substr($3, 2) }
        $1 == "media.name" { file[id] = substr($3, 2, length($3) - 2) }
        $1 == "application.id" && $3 == "\"ru.skitalia.Skitalia\"" { ours[id] = 1 }
        END { for (id in ours) print id, file[id] }'
}
streams() { [[ $(game_streams | grep -c .) == "$1" ]]; }
# Ends a stream from the server's side, as a mixer's "kill" does; pactl has no command for it.
# Fails unless the server answers that it ended it.
end_stream() {
    python3 - "$1" <<'EOF' || fail "the sound server did not end stream '$1'"
import ctypes, sys
pa, v = ctypes.CDLL("libpulse.so.0"), ctypes.c_void_p
for name in "pa_mainloop_new", "pa_mainloop_get_api", "pa_context_new", "pa_context_kill_sink_input":
    getattr(pa, name).restype = v
loop = v(pa.pa_mainloop_new())
context = v(pa.pa_context_new(v(pa.pa_mainloop_get_api(loop)), b"e2e"))
pa.pa_context_connect(context, None, 1, None)  # no autospawn
while pa.pa_context_get_state(context) not in (4, 5, 6):  # ready, failed, terminated
    pa.pa_mainloop_iterate(loop, 1, None)
answers = []
answered = ctypes.CFUNCTYPE(None, v, ctypes.c_int, v)(lambda c, success, data: answers.append(success))
operation = pa.pa_context_get_state(context) == 4 and v(pa.pa_context_kill_sink_input(context, int(sys.argv[1]), answered, None))
while operation and pa.pa_operation_get_state(operation) == 0:  # running
    pa.pa_mainloop_iterate(loop, 1, None)
sys.exit(answers != [1])
EOF
}
stop_sound_server
for button in "235 51 the \"Промыслы\" tab" "115 51 the \"Жизнедеятельность\" tab" \
    "98 203 \"Поспать\"" "98 255 \"В туалет\""; do
    read -r x y what <<<"$button"
    before=$(picture_of "$main")
    click_in "$main" "$x" $((menu + y))
    wait_changed "$main" "$before" "$what"
done
start_sound_server
start_recording "$SHOTS/e2e-sound${SOUND_SERVER:+-$SOUND_SERVER}-outage.wav"
wait_until 15 streams 6 ||
    fail "the game did not connect again after the sound server went away; its streams: $(game_streams | tr '\n' ' '); the server said: $(tail -n5 "$DESKTOP_DIR/pulse/log")"
quiet_until=$(add "$(add "$(recording_time)" "$greeting")" "$LATE")
judge_later quiet 0 "$quiet_until" "silence when the server returns"
sleep_until "$quiet_until"
sleeping=$(length_of "$FOLDER/6.wav")
end_stream "$(game_streams | awk '$2 == "6.wav" { print $1 }')"
sleep_stream_ended() { streams 5 && ! game_streams | grep -q ' 6\.wav$'; }
wait_until 5 sleep_stream_ended ||
    fail "the sleep sound's stream outlived its end; the game's streams: $(game_streams | tr '\n' ' ')"
slept=$(recording_time)
click_in "$main" 98 $((menu + 203)) # "Поспать"
judge_later loud "$(add "$slept" "-$EARLY")" "$(add "$(add "$sleeping" "$LATE")" "$EARLY")" \
    "sleep after the server ended its stream"
sleep_until "$(add "$(add "$slept" "$sleeping")" "$LATE")"

# Health below zero: the next tick shows the death screen and the death sound, which starts
# again whenever it has ended. Four of its lengths in windows of half a length: one play
# would leave most of them silent.
load_save dead.sav
wait_window ".*" "443x310" 5 >/dev/null || fail "no death screen after loading a dead man"
dead=$(recording_time)
window=$(awk -v d="$death" 'BEGIN { printf "%.3f", d / 2 }')
for i in $(seq 0 7); do
    judge_later loud "$(awk -v d="$dead" -v w="$window" -v i="$i" 'BEGIN { printf "%.3f", d + i * w }')" \
        "$window" "the death sound, window $((i + 1)) of 8"
done
sleep_until "$(awk -v d="$dead" -v w="$window" 'BEGIN { printf "%.3f", d + 8 * w + 0.3 }')"
stop_recording

judge

# The server restarts under the dead man: the game connects again by itself, and the death
# sound it keeps asking for is heard again.
stop_sound_server
start_sound_server
start_recording "$SHOTS/e2e-sound${SOUND_SERVER:+-$SOUND_SERVER}-restart.wav"
wait_until 15 streams 6 || fail "the game did not connect again after the sound server restarted"
back=$(recording_time)
judge_later loud "$back" "$(add "$(add "$death" "$death")" "$LATE")" "the death sound after the restart"
# The recorder writes a block behind: a little more, so that the stretch is all recorded.
sleep_until "$(add "$(add "$(add "$back" "$death")" "$death")" "$(add "$LATE" 0.3)")"
stop_recording
judge

((failures == 0)) || fail "$failures of $judged stretches sound wrong (loud above $LOUD, quiet below $QUIET)"
echo "e2e sound: passed"
