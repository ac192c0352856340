#!/usr/bin/env bash
# Title bars under xfwm4, a window manager that honours what the game asks for: the main
# window and a dialog screen ask for no minimise, maximise or close and keep a fixed size, so
# the frame offers none of them. Screenshots of both frames are written for the eye.
source "$(dirname "$0")/lib.sh"

start_xvfb xfwm4
copy_game_folder

# What the game asks of the window manager, and what xfwm4 offers then: Motif hints that name
# the functions, none of minimise (8), maximise (16) or close (32) among them; a fixed size; no
# minimise or maximise offered, the move that every managed window has.
asks_and_gets_no_buttons() {
    local flags functions sizes actions
    read -r flags functions _ <<<"$("$XWIN" "$1" motif)"
    [[ -n "$flags" ]] || fail "$2 sets no Motif hints"
    ((flags & 1)) || fail "$2 leaves its functions to the window manager ($flags $functions)"
    ((functions & (8 | 16 | 32))) && fail "$2 asks for minimise, maximise or close ($flags $functions)"
    read -r -a sizes <<<"$("$XWIN" "$1" sizes)"
    [[ -n "${sizes[*]}" && "${sizes[*]::2}" == "${sizes[*]:2}" ]] || fail "$2 can be resized (${sizes[*]})"
    actions=$("$XWIN" "$1" actions)
    [[ "$actions" == *MINIMIZE* || "$actions" == *MAXIMIZE* ]] && fail "xfwm4 offers to minimise or maximise $2: $actions"
    true
}

# The window with its frame, cut out of the screen, once xfwm4 manages it: then it names what
# it offers.
frame_shot() {
    local x y w h left right top bottom
    wait_until 10 managed "$1" || fail "xfwm4 does not manage $2"
    asks_and_gets_no_buttons "$1" "$2"
    read -r x y w h left right top bottom <<<"$("$XWIN" "$1" geometry frame | tr '\n' ' ')"
    mkdir -p "$SHOTS"
    import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" "$SHOTS/$3.png"
}

managed() { [[ "$("$XWIN" "$1" actions)" == *_NET_WM_ACTION_MOVE* ]]; }

start_game "$COPY"
frame_shot "$main" "the main window" e2e-xfwm4-main

click_in "$main" 235 $((menu + 51)) # the "Промыслы" tab
click_in "$main" 128 $((menu + 99)) # "Просить милостыню"
beg=$(wait_window "Милостыня" "476x317") || fail "no begging screen"
frame_shot "$beg" "the begging screen" e2e-xfwm4-begging

end_game
echo "e2e frames: passed"
