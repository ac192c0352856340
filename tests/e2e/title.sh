#!/usr/bin/env bash
# The real game on a real X server: the title comes up, a click on its picture brings the
# main window, a tab changes and the close button ends the game; a game folder with a sound
# missing or damaged stops with a message.
source "$(dirname "$0")/lib.sh"
start_xvfb

start_title "$GAME"
screenshot "$title" title
# Guessing a picture's format would load every image plugin, SVG's among them.
grep -q "/imageformats/" "/proc/$GAME_PID/maps" && fail "image plugins were loaded at start-up"
enter_game
window_shown "Скиталия" || fail "main window not shown"
window_of "Скиталия" 176x230 >/dev/null && fail "title still shown after the click"
screenshot "$main" e2e-main-before
before=$(picture_of "$main")
click_in "$main" 115 $((menu + 51)) # the second tab
wait_changed "$main" "$before" "the second tab"
screenshot "$main" e2e-main-after
close_game

# Each of the six sounds missing, cut short, not PCM, at a rate no sound server plays or a FIFO,
# in a copy of the game folder: an error box naming the file, no game screen, and the game ends
# when the box is closed.
# Qt may still be replacing the box's window when it is first seen: Return goes to whichever
# box is there, until the game ends.
close_box() {
    local id
    for _ in $(seq 100); do
        kill -0 "$GAME_PID" 2>/dev/null || return 0
        for id in $(shown_windows "skitalia"); do
            press_keys --window "$id" Return 2>/dev/null
        done
        sleep 0.1
    done
}
# Writes VALUE, packed as Python's struct FORMAT has it, at OFFSET from the "fmt " chunk's id:
# the format tag is at 8, the sample rate at 12.
patch_format() {
    python3 -c 'import struct, sys; p, at, form, value = sys.argv[1:]; d = bytearray(open(p, "rb").read())
i = d.index(b"fmt ") + int(at); d[i:i + struct.calcsize(form)] = struct.pack(form, int(value))
open(p, "wb").write(d)' "$@"
}
copy=$(mktemp -d)
REMOVE_AT_EXIT+=("$copy")
cp -r "$(dirname "$GAME")"/. "$copy"
for name in 2.wav 3.wav 6.wav 7.wav 4.wav 5.wav; do
    for damage in missing "cut short" "not PCM" "1 GHz" "384001 Hz" FIFO; do
        case $damage in
        missing) rm "$copy/$name" ;;
        "cut short") truncate -s 60 "$copy/$name" ;;
        "not PCM") patch_format "$copy/$name" 8 '<H' 3 ;; # IEEE float instead of integer PCM
        "1 GHz") patch_format "$copy/$name" 12 '<I' 1000000000 ;;
        "384001 Hz") patch_format "$copy/$name" 12 '<I' 384001 ;; # just over what servers play
        FIFO) rm "$copy/$name" && mkfifo "$copy/$name" ;; # opened as a file, it never answers
        esac
        "$copy/$(basename "$GAME")" 2>"$copy/stderr" &
        GAME_PID=$!
        box=$(wait_window "skitalia" "[0-9]*x[0-9]*") ||
            { cat "$copy/stderr" >&2; fail "no error box for $name $damage"; }
        grep -q "$name" "$copy/stderr" || fail "the message for $name $damage does not name it"
        window_shown "Скиталия" && fail "a game screen was shown despite $name $damage"
        [[ "$name $damage" == "6.wav missing" ]] && screenshot "$box" missing-sound
        close_box
        expect_exit 1 15
        rm "$copy/$name" && cp "$(dirname "$GAME")/$name" "$copy/$name"
    done
done
# A player whose libpulse would start a sound server, with none running: the game comes up in
# silence and starts none. libpulse never starts one for root, so the game runs as nobody,
# from a copy of its folder that nobody may enter wherever the clone is (a home of mode 0700).
player=$(mktemp -d)
REMOVE_AT_EXIT+=("$player")
chmod 755 "$player"
mkdir -m 700 "$player/home"
cp -r "$(dirname "$GAME")" "$player/game"
printf '#!/bin/sh\ntouch "%s"\n' "$player/home/spawned" >"$player/pulseaudio"
chmod 755 "$player/pulseaudio"
printf 'autospawn = yes\ndaemon-binary = %s\n' "$player/pulseaudio" >"$player/client.conf"
((EUID == 0)) && chown nobody: "$player/home"
as_player nobody "$player/home" PULSE_CLIENTCONFIG="$player/client.conf" "$player/game/$(basename "$GAME")" &
GAME_PID=$!
wait_window "Скиталия" "176x230" >/dev/null || fail "no title window for a player without a sound server"
wait_until 3 test -e "$player/home/spawned" && fail "the game started a sound server"
end_game
echo "e2e title: passed"
