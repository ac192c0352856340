# Windows on the X server: finding them, asking xwin about them, picturing them, and every
# key and click sent to them.
#
# Every key and click goes through press_keys, type_text, click_in and click_at: each
# releases whatever it pressed, even when the window it went to vanished on the way. At
# exit, a key or pointer button still held on the X server fails the script.
# Clicks inside one window are handled in the order sent, so a click on a tab needs no wait
# before a click on its page; a click into a window that another click opens waits for it.

XWIN="$(dirname "${BASH_SOURCE[0]}")/xwin"

# Runs xdotool to press keys or buttons, then releases whatever is still held.
x_send() {
    local status=0
    xdotool "$@" || status=$?
    "$XWIN" release
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

# Fails unless the window is about centred on the screen with the frame that the window
# manager names, and asks for no minimise, maximise or close button: no decorations, or
# functions without them.
placed_by_game() {
    local x y w h left right top bottom flags functions decorations
    read -r x y w h left right top bottom flags functions decorations <<<"$("$XWIN" "$1" geometry frame motif | tr '\n' ' ')"
    local dx=$(((x - left) * 2 + w + left + right - 1024)) dy=$(((y - top) * 2 + h + top + bottom - 768))
    ((dx * dx <= 64 * 64 && dy * dy <= 64 * 64)) || fail "$2 framed at $x,$y ($w x $h), not centred"
    ((${flags:-0} & 2 && decorations == 0 || ${flags:-0} & 1 && !(functions & 0x38))) ||
        fail "$2 lets the window manager add frame buttons: Motif hints '$flags $functions $decorations'"
}

# True while the window is minimised.
iconic() { [[ "$("$XWIN" "$1" state 2>/dev/null)" == Iconic ]]; }

# The window's place on the screen, "X Y"; a window manager may animate it there.
window_place() { "$XWIN" "$1" geometry | cut -d' ' -f1,2; }
at_place() { [[ "$(window_place "$1")" == "$2" ]]; }
# True when the window stands whole on the screen, its frame included.
on_screen() {
    local x y w h left right top bottom width height
    read -r x y w h left right top bottom <<<"$("$XWIN" "$1" geometry frame | tr '\n' ' ')"
    read -r _ _ width height <<<"$("$XWIN" root geometry)"
    ((x - left >= 0 && y - top >= 0 && x + w + right <= width && y + h + bottom <= height))
}

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
    [[ "$1" == root ]] || state=$("$XWIN" "$1" mapped 2>/dev/null)
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

picture_is_not() { [[ "$(picture_of "$1")" != "$2" ]]; }

# Waits until the window shows something other than the fingerprint taken before WHAT.
wait_changed() {
    wait_until 10 picture_is_not "$1" "$2" || fail "$3 changed nothing on the screen"
}

# Pictures the window as NAME.png among the screenshots, once it is drawn.
screenshot() {
    mkdir -p "$SHOTS"
    # A blinking caret may keep a window from ever coming to rest: then it is pictured anyway.
    [[ "$1" == root ]] || wait_still "$1" 0.1 5
    grab "$1" "$SHOTS/$2.png"
}

# Prints the id of the visible window with exactly this title and size (WxH), waiting up to
# the given seconds for it.
wait_window() { wait_until "${3:-15}" window_of "$1" "$2"; }

window_of() { of_size "$2" "" $(shown_windows "$1"); }

# The first of the windows whose size (WxH) matches the pattern, other than the one given.
of_size() {
    local size=$1 other=$2 id
    shift 2
    for id; do
        [[ "$id" != "$other" ]] && xdotool getwindowgeometry "$id" 2>/dev/null |
            grep -q "Geometry: ${size}\$" && echo "$id" && return 0
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
        [[ "$("$XWIN" "$id" frame-for 2>/dev/null)" == 0x0 ]] && echo "$id"
    done
}

# The game's visible window of this size (a pattern), other than the one given, waiting up to
# 15 seconds. Found by process, not by title: the death screen has none, and with LANG=C Qt
# writes the titles into WM_NAME as raw UTF-8, where xdotool cannot match them.
game_window() { wait_until 15 game_window_now "$1" "${2:-}"; }

game_window_now() { of_size "$1" "$2" $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); }

# True while some visible window has this title.
window_shown() { [[ -n "$(shown_windows "$1")" ]]; }

window_size() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }
