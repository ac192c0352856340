#!/usr/bin/env bash
# The real game on a player's desktop: openbox and an XEmbed tray. Two quick clicks buy one
# paper; the tray brings back a hidden and a minimised main window; a minimised main window
# gets no accident until it is back; the character dies while the accident's box is still
# open; the death screen leaves the focus where the player puts it; every window carries the
# game's icon; the XEmbed tray dies and comes back. Then a StatusNotifier tray whose panel
# comes, goes or hangs never strands or holds up a game. Runs in a copy of the game folder.
source "$(dirname "$0")/lib.sh"

start_xvfb openbox
copy_game_folder
#          documents goods (bottles..meat)  money bag health feces fatigue satiety
write_save "$FOLDER/purse.sav" 0 0 0 0 0 3 0 0 0 0 0 10000 2 100 95 0 100
write_save "$FOLDER/dying.sav" 0 0 0 0 0 0 0 0 0 0 0 0 2 20 100 0 100

# A window without an icon of its own gets a generic one from Qt, so each window's icon is
# compared with the main window's, which is the game's own.
has_icon() {
    [[ "$("$XWIN" "$1" icon)" == "$("$XWIN" "$main" icon)" ]] || fail "$2 does not carry the game's icon"
}

# Clicks the tray button and waits until the main window is gone: the button did WHAT.
tray_button() {
    click_in "$main" 492 $((menu + 12))
    wait_until 10 not main_shown || fail "the tray button did not $1"
}

# Waits until the game's icon is registered with the StatusNotifier watcher, WHERE.
registered() { wait_until "${2:-10}" sni_item_of_game >/dev/null || fail "the game's icon did not register $1"; }

# Clicks the game's icon in the tray, twice unless told.
tray_click() {
    local icon
    icon=$(tray_icon_of_game 5) || fail "the game's icon is not in the tray"
    read -r _ x y <<<"$icon"
    click_at "$x" "$y" "${1:-2}"
}

main_shown() { window_of "Скиталия" "536x[0-9]*" >/dev/null; }

# Restores the minimised main window as a taskbar does. Openbox may put it back anywhere, even
# off the screen, so it is moved where the clicks reach it.
restore_main() {
    xdotool windowactivate "$main"
    wait_active "$main" "the main window, restored,"
    xdotool windowmove --sync "$main" 200 150
}

# Activates the game's icon once, as a StatusNotifier host reports a click on it, and waits
# for the main window.
activate_icon() {
    local item
    item=$(sni_item_of_game) || fail "the game's icon left the watcher"
    bus_call -d "$item" -o /StatusNotifierItem -m org.kde.StatusNotifierItem.Activate 0 0 >/dev/null ||
        fail "the game's icon took no activation"
    wait_until 10 main_shown || fail "activating the game's icon did not bring back the main window"
}

# Clicks the close button that openbox draws at the right end of the window's title bar.
frame_close_click() {
    local x y w top
    read -r x y w _ _ _ top _ <<<"$("$XWIN" "$1" geometry frame | tr '\n' ' ')"
    ((top > 0)) || fail "openbox drew no title bar"
    click_at $((x + w - 10)) $((y - top / 2))
}

start_title "$COPY"
# The tray comes up after the game, as it may when both start with the session.
start_tray
enter_game
[[ "$("$XWIN" "$main" icon)" == "64x64 "* ]] ||
    fail "the main window does not carry the game's icon"
has_icon "$title" "the title"
# Openbox draws a close button whatever the game asks; it must not close the game. Nothing
# shows that the request was refused, so the game is given a moment to go wrong.
frame_close_click "$main"
sleep 0.5
kill -0 "$GAME_PID" 2>/dev/null || fail "the frame's close button ended the game"
main_shown || fail "the frame's close button closed the main window"
tray_icon_of_game 5 >/dev/null || fail "the game's icon did not dock in the tray"

# Hidden in the XEmbed tray when it dies: the main window is back at once, or the game would be
# left with no window and no icon; the next tray gets the icon again.
tray_button "hide the main window"
stop_tray
wait_until 1 main_shown || fail "the main window was not back within a second of the XEmbed tray going"
start_tray
tray_icon_of_game 10 >/dev/null || fail "the game's icon did not dock in the XEmbed tray that came back"
load_save purse.sav

# Two clicks 80 ms apart, before the tick disables the button: one paper, paid once.
click_in "$main" 381 $((menu + 51))      # the "Жилье" tab
click_in "$main" 123 $((menu + 143)) 2 # citizenship
click_in "$main" 123 $((menu + 193)) 2 # passport
save_as papers
read -r citizenship passport room _ _ _ _ _ _ _ _ money _ <<<"$(values "$FOLDER/papers.sav")"
[[ "$citizenship $passport $room" == "2 2 0" ]] || fail "papers held: $citizenship $passport $room"
((money == 5000)) || fail "two papers for 10000 left $money, not 5000"

# Hidden to the tray, and minimised: a double-click on the tray icon brings it back, a
# single click does not.
tray_button "hide the main window"
tray_click 1
wait_until 1 main_shown && fail "a single click on the tray icon brought back the main window"
tray_click
wait_until 10 main_shown || fail "the tray did not bring back the hidden main window"
xdotool windowminimize "$main"
wait_until 10 not main_shown || fail "the main window did not minimise"
tray_click
wait_until 10 main_shown || fail "the tray did not bring back the minimised main window"
# Un-minimised, the window is mapped before Qt takes it back: a player clicks it once drawn.
wait_still "$main" 0.1 5

# The canteen open, the main window brought beside it by the tray and minimised: eating fills
# the bowel past its limit, and the accident waits until the main window is back.
click_in "$main" 115 $((menu + 51)) # the "Жизнедеятельность" tab
click_in "$main" 98 $((menu + 99))  # "Пожрать"
canteen=$(wait_window "Столовая" "330x220") || { screenshot root debug-no-canteen; fail "no canteen"; }
has_icon "$canteen" "the canteen"
frame_close_click "$canteen"
tray_click
wait_until 10 main_shown || fail "the tray did not show the main window beside the canteen"
window_shown "Столовая" || fail "the frame's close button closed the canteen"
xdotool windowminimize "$main"
wait_until 10 not main_shown || fail "the main window did not minimise"
click_in "$canteen" 235 40 # "Съесть буханку": the bowel goes from 95 to 105
# The accident must not come while the main window is minimised: some ticks go by first.
sleep 1
window_shown "ПОНОС!!!" && fail "the accident came while the main window was minimised"
tray_click
box=$(wait_window "ПОНОС!!!" "[0-9]*x[0-9]*") || fail "no accident once the main window was back"
has_icon "$box" "the accident's box"
press_keys --window "$box" Return
wait_gone "ПОНОС!!!"

# Health 20 and a full bowel: the accident takes 35, and the ticks behind its box kill.
load_save dying.sav
box=$(wait_window "ПОНОС!!!" "[0-9]*x[0-9]*") || fail "no accident after loading"
death=$(game_window 443x310) || fail "no death screen while the accident's box was open"
window_shown "ПОНОС!!!" || fail "the accident's box closed by itself"
main_shown && fail "the main window stayed shown after death"
has_icon "$death" "the death screen"
# Frameless, it is still named in taskbars and window switchers.
[[ "$(xdotool getwindowname "$death")" == "Скиталия" ]] || fail "the death screen is not named «Скиталия»"
screenshot root e2e-death-behind-the-box
press_keys --window "$box" Return
wait_gone "ПОНОС!!!"

# Dead: the canteen left open under the death screen keeps the focus the player gives it
# (through the taskbar, say), and so does another program.
xdotool windowactivate --sync "$canteen"
wait_active "$canteen" "the canteen"
# Some ticks go by, each of which could take the focus back.
sleep 1
active_is "$canteen" || fail "the death screen took the focus from the canteen"
xmessage -name other -title other -geometry 200x80+10+10 "Другая программа" &
OTHER_PID=$!
other=$(wait_window "other" "[0-9]*x[0-9]*") || fail "no other program's window"
xdotool windowactivate --sync "$other"
sleep 1 # some ticks
active_is "$other" || fail "the death screen took the focus from another program"
kill "$OTHER_PID"
screenshot root e2e-dead-desktop

click_in "$death" 20 20 # the death screen's edge, beside the canteen, brings it up
wait_active "$death" "the death screen, clicked,"
click_in "$death" 219 222 # "Конец"
expect_exit 0 10

# A second game, on a desktop whose tray speaks StatusNotifier over the session bus: its
# panel may crash or be upgraded while the game waits in it.
stop_tray
start_sni_tray
start_game "$COPY"
registered "with the watcher"
[[ "$(bus_call -d "$(sni_item_of_game)" -o /StatusNotifierItem -m org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem Title)" == "(<'Скиталия'>,)" ]] || fail "the game's icon is not titled «Скиталия»"

# The panel goes while the canteen is open: the canteen is the way back, and the main window
# stays hidden. The new watcher's coming is handled after the old one's going.
click_in "$main" 115 $((menu + 51)) # the "Жизнедеятельность" tab
click_in "$main" 98 $((menu + 99))  # "Пожрать"
canteen=$(wait_window "Столовая" "330x220") || { screenshot root debug-no-canteen-sni; fail "no canteen"; }
owner=$(item_owner)
stop_sni_tray
start_sni_tray
registered "with the new watcher"
# By the connection it had: a panel that restarts costs the game no new one.
[[ "$(item_owner)" == "$owner" ]] || fail "the icon came back on a new connection: $(item_owner), not $owner"
main_shown && fail "the main window came back beside the canteen when the watcher went"
click_in "$canteen" 165 182 # "НАЗАД"
wait_until 10 main_shown || fail "the canteen did not lead back to the main window"

# Hidden to the tray when the panel goes: the main window is back at once, or the game would
# be left with no window and no icon.
tray_button "hide the main window"
stop_sni_tray
wait_until 1 main_shown || fail "the main window was not back within a second of the watcher going"
screenshot "$main" e2e-desktop-back-without-watcher
start_sni_tray
registered "again"

# Hidden beside the save screen when the panel goes: the save screen only hides itself, so
# the main window comes back too, and stays once the save screen is left.
menu_item 20 1
screen=$(wait_window "Сохранить" "260x110") || fail "no save screen"
tray_button "hide the main window beside the save screen"
stop_sni_tray
wait_until 1 main_shown || fail "the main window was not back within a second beside the save screen"
xdotool windowactivate "$screen" # the main window came up over it
wait_active "$screen" "the save screen"
click_in "$screen" 180 86 # "Отмена"
wait_gone "Сохранить"
main_shown || fail "the main window went with the save screen"

# With no tray the tray button minimises; the player restores the window from the taskbar,
# and a tray comes before the window goes to it.
tray_button "minimise the main window without a tray"
restore_main
start_sni_tray
registered "with the tray that came"

# A host reports a click on the icon as one activation: it brings the hidden window back,
# shown and not iconic, whatever became of the window before.
tray_button "hide the main window again"
activate_icon
[[ "$("$XWIN" "$main" state)" == Normal ]] ||
    fail "the main window came back from the tray iconic"
close_game

# A panel that hangs holds the watcher's name and answers nothing: it counts as no tray, and
# the game never waits for it. Each check is taken while the panel is stopped and judged once
# it runs again, so that nothing is left hanging.
start_game "$COPY"
registered "with the watcher"
kill -STOP "$SNI_PID"
click_in "$main" 492 $((menu + 12)) # the tray button
wait_until 1 not main_shown
minimised=$?
kill -CONT "$SNI_PID"
((minimised == 0)) || fail "the tray button did nothing for a second when the panel hung"
iconic "$main" ||
    fail "the tray button hid the main window in a hung panel"
end_game

# Hung before the game starts: the title comes at once, the tray button minimises, and the
# icon goes to the panel once it wakes.
kill -STOP "$SNI_PID"
started=$EPOCHREALTIME
"$COPY" &
GAME_PID=$!
title=$(wait_window "Скиталия" "176x230" 5)
title_seconds=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
if [[ -n "$title" ]]; then
    click_in "$title" 80 100
    main=$(wait_window "Скиталия" "536x[0-9]*" 5)
fi
if [[ -n "$title" && -n "$main" ]]; then
    size=$(window_size "$main")
    menu=$((${size#*x} - 350))
    click_in "$main" 492 $((menu + 12))
    wait_until 1 not main_shown
    minimised=$?
fi
kill -CONT "$SNI_PID"
[[ -n "$title" ]] || fail "no title within 5 s beside a hung panel"
[[ -n "$main" ]] || fail "no main window within 5 s beside a hung panel"
((minimised == 0)) || fail "the tray button did nothing for a second beside a panel hung from the start"
iconic "$main" ||
    fail "the tray button hid the main window in a panel hung from the start"
echo "title beside a hung panel after $title_seconds s"
registered "with the woken panel" 15
end_game
echo "e2e desktop: passed"
