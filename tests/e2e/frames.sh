#!/usr/bin/env bash
# Title bars under xfwm4, a window manager that honours what the game asks for: the main
# window and a dialog screen ask for no minimise, maximise or close and keep a fixed size, so
# the frame offers none of them. Screenshots of both frames are written for the eye.
source "$(dirname "$0")/lib.sh"

start_xvfb xfwm4
copy_game_folder

# The Motif hints as the game sets them: functions named, and none of minimise (8),
# maximise (16) or close (32) among them.
asks_for_no_buttons() {
    local hints flags functions
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.* = //p' | tr -d ' ')
    [[ -n "$hints" ]] || fail "$2 sets no Motif hints"
    IFS=, read -r flags functions _ <<<"$hints"
    ((flags & 1)) || fail "$2 leaves its functions to the window manager ($hints)"
    ((functions & (8 | 16 | 32))) && fail "$2 asks for minimise, maximise or close ($hints)"
    true
}

fixed_size() {
    local hints min max
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    min=$(sed -n 's/.*program specified minimum size: //p' <<<"$hints")
    max=$(sed -n 's/.*program specified maximum size: //p' <<<"$hints")
    [[ -n "$min" && "$min" == "$max" ]] || fail "$2 can be resized ($min to $max)"
}

offers_no_buttons() {
    local actions
    actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
    [[ "$actions" == *_NET_WM_ACTION_MOVE* ]] || fail "xfwm4 does not manage $2: $actions"
    [[ "$actions" == *MINIMIZE* || "$actions" == *MAXIMIZE* ]] &&
        fail "xfwm4 offers to minimise or maximise $2: $actions"
    true
}

# The window with its frame, cut out of the screen.
frame_shot() {
    local X Y WIDTH HEIGHT extents left right top bottom
    # xdotool's position counts the frame twice; xwininfo's is the client's own.
    X=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p')
    Y=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p')
    read -r WIDTH HEIGHT <<<"$(window_size "$1" | tr x ' ')"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')
    IFS=, read -r left right top bottom <<<"$extents"
    mkdir -p "$SHOTS"
    import -window root -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
        "$SHOTS/$2.png"
}

# xfwm4 names what it offers once it manages the window.
managed() {
    [[ "$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)" == *_NET_WM_ACTION_MOVE* ]]
}

start_game "$COPY"
wait_until 10 managed "$main" || fail "xfwm4 does not manage the main window"
for check in asks_for_no_buttons fixed_size offers_no_buttons; do
    "$check" "$main" "the main window"
done
frame_shot "$main" e2e-xfwm4-main

click_in "$main" 235 $((menu + 51)) # the "Промыслы" tab
click_in "$main" 128 $((menu + 99)) # "Просить милостыню"
beg=$(wait_window "Милостыня" "476x317") || fail "no begging screen"
wait_until 10 managed "$beg" || fail "xfwm4 does not manage the begging screen"
for check in asks_for_no_buttons fixed_size offers_no_buttons; do
    "$check" "$beg" "the begging screen"
done
frame_shot "$beg" e2e-xfwm4-begging

kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null
GAME_PID=
echo "e2e frames: passed"
