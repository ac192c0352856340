#!/usr/bin/env bash
# A game played with the keyboard alone on a real X server: the title, two hours of begging,
# two boxes of matches at the market, the canteen, a sleep, two spins of the slot machine, a save
# and the exit, every step a key press. The saved game must hold what was done. With
# DESKTOP=wayland it is played in a Wayland session, where the game must still place its
# screens itself; with DESKTOP=gnome in GNOME's, where no tray takes the game in and "▁"
# must minimise it. With SCREEN_READER=orca, Orca reads along, and must say what each key
# brought: the focus, page names, the vitals by name, prices, results and the money.
source "$(dirname "$0")/lib.sh"

case "${DESKTOP:-}" in
wayland) start_wayland_session ;;
gnome) start_gnome_session ;;
*) start_xvfb ;;
esac
[[ "${SCREEN_READER:-}" == orca ]] && start_orca
copy_game_folder

key() {
    if [[ -z "${ORCA_PID:-}" ]]; then
        press_keys "$@"
        return
    fi
    # Keys go one at a time, each once Orca has taken the one before, as a player who listens
    # presses them: Orca 43 is handed each key by Qt, which replays it when Orca answers, and
    # Orca 48 reads them from the X server beside the game. Alt alone is held until Orca has it:
    # let go before, its replay would turn the menu bar off again.
    local each pressed
    for each in "$@"; do
        pressed=$(orca_keys PRESSED)
        if [[ "$each" == alt ]]; then
            xdotool keydown alt
            wait_until 20 orca_keys_since PRESSED "$pressed" 1 || fail "Orca never took Alt"
            x_send keyup alt
            continue
        fi
        press_keys "$each"
        # Presses only: a release may go with the window the key closed, and a shortcut's key
        # (the Tab of Ctrl+Tab) is never handed on.
        wait_until 20 orca_keys_since PRESSED "$pressed" 1 ||
            fail "Orca never took «$each»"
    done
}

# Presses the keys; with Orca, waits until it says something that matches the pattern.
key_heard() {
    local pattern=$1 what=$2 mark=0
    shift 2
    [[ -n "${ORCA_PID:-}" ]] && mark=$(spoken_count)
    key "$@"
    [[ -z "${ORCA_PID:-}" ]] || wait_spoken "$mark" "$pattern" "$what"
}

# Waits until the screen with this title is gone and the main window has the keyboard again.
back_from() { wait_gone "$1" && wait_active "$main" "main window after $2"; }

# Presses Space on "Запуск" and waits until the reels have turned and come to rest.
spin() {
    local before
    before=$(picture_of "$slot")
    key_heard 'Выигрыш: [0-9]*, деньги: [0-9]' "the winnings" space
    wait_changed "$slot" "$before" "Space on «Запуск»"
    key space # mid-spin: the machine's frame holds the focus, not "НАЗАД"
    wait_still "$slot" 0.25 || fail "the reels never stopped"
}

start_title "$COPY"
wait_active "$title" title
placed_by_game "$title" title
[[ -z "${ORCA_PID:-}" ]] || wait_spoken 0 'Начало игры».*button' "the title picture as a button"
# Nothing but the goods page holds the focus: Orca says its name and the goods.
[[ -z "${ORCA_PID:-}" ]] || mark=$(spoken_count)
key_heard 'Товары' "the goods page" Return
[[ -z "${ORCA_PID:-}" ]] || wait_spoken "$mark" 'Вместимость сумки: 2' "the goods"
main=$(wait_window "Скиталия" "536x[0-9]*") || fail "Enter on the title did not start the game"
wait_active "$main" "main window"
placed_by_game "$main" "main window"
# Found as the desktop id by its class's instance; named by its class, in Latin letters, where
# no desktop entry is found (GNOME's top bar).
class=$("$XWIN" "$main" class)
[[ "$class" == "ru.skitalia.Skitalia Skitalia" ]] ||
    fail "the main window's class is not the desktop id and the game's name: $class"
if [[ "${DESKTOP:-}" == wayland ]]; then
    DISPLAY=$WESTON_HOST wait_still root 0.2 10 || fail "the Wayland session never came to rest"
    DISPLAY=$WESTON_HOST screenshot root e2e-keyboard-wayland-session
fi

# No tray: "▁" minimises the main window, and it comes back as the dash or Alt+Tab brings it,
# with its frame's buttons still kept off. Weston's X window manager minimises nothing.
if [[ "${DESKTOP:-}" != wayland ]]; then
    place=$(window_place "$main")
    key Tab space
    wait_until 10 iconic "$main" || fail "«▁» did not minimise the main window"
    timeout 10 xdotool windowactivate --sync "$main" 2>/dev/null || fail "the minimised main window did not come back"
    wait_active "$main" "main window back from minimised"
    wait_until 10 at_place "$main" "$place" || fail "the main window came back at $(window_place "$main"), not $place"
    placed_by_game "$main" "main window back from minimised"
fi

# Two pages on, "Промыслы": its first button, "Просить милостыню", has the focus.
key_heard 'Промыслы' "the page's name" ctrl+Tab ctrl+Next
key space
beg=$(wait_window "Милостыня" "476x317") || fail "no begging screen"
wait_active "$beg" begging
placed_by_game "$beg" begging
key Tab space # "Сделать выбор": the hours take the focus
key Up        # two hours
key Tab space # "Начать поиск"
# The run ends on "НАЗАД"; until then Enter lands on the place list and does nothing. Orca
# says the result as "НАЗАД" takes the focus, unless the player has pressed it already.
[[ -z "${ORCA_PID:-}" ]] || wait_spoken "$(spoken_count)" 'Собрано денег: [0-9]' "the begging result"
for _ in $(seq 60); do
    window_shown "Милостыня" || break
    key Return
    sleep 0.25
done
back_from "Милостыня" "begging"
placed_by_game "$main" "main window after begging"

key Tab Tab space # "Пойти на рынок"
market=$(wait_window "Рынок" "470x340") || fail "no market"
wait_active "$market" market
key_heard 'Купить за 2, продать за 3' "the matches' prices" Down Down space
key_heard 'количество 2' "the new quantity" plus
key_heard 'Деньги: [0-9]' "the money after the trade" Tab space # "Купить"
back_from "Рынок" "the market"

key_heard 'Сытость [0-9]*, Здоровье [0-9]*, Усталость [0-9]*, Кал [0-9]*' "the vitals with the focus" \
    ctrl+shift+Tab # "Жизнедеятельность": "Пожрать" has the focus
key_heard 'НАЗАД' "the canteen's focus" Return
canteen=$(wait_window "Столовая" "[0-9]*x[0-9]*") || fail "no canteen"
wait_active "$canteen" canteen
screenshot "$canteen" e2e-keyboard-canteen
key space # nothing to eat: "НАЗАД" is the only control
back_from "Столовая" "the canteen"
key Tab Tab # "Поспать"
key_heard 'Сытость [0-9]*, Здоровье [0-9]*, Усталость 0, Кал [0-9]*' "the vitals by name after a sleep" space

key ctrl+Prior ctrl+Prior ctrl+Next ctrl+Next ctrl+Next ctrl+Next # round to "Развлечения"
key space # "Пойти играть"
slot=$(wait_window 'Игровой автомат "Крутифрукт"' "320x290") || fail "no slot machine"
wait_active "$slot" "slot machine"
spin # "Запуск"
spin # "Запуск" again: the focus stayed on it
window_shown 'Игровой автомат "Крутифрукт"' || fail "Space in or after a spin left the slot machine"
screenshot "$slot" e2e-keyboard-slot-machine
key Tab space # "НАЗАД"
back_from 'Игровой автомат "Крутифрукт"' "the slot machine"

key alt Return Return # "Файл" → "Сохранить игру"
save=$(wait_window "Сохранить" "260x110") || fail "no save screen"
wait_active "$save" "save screen"
placed_by_game "$save" "save screen"
type_text keys
key_heard 'Деньги: [0-9]' "the main window's focus back from saving" Return # "OK"
back_from "Сохранить" "saving"
[[ -f "$FOLDER/keys.sav" ]] || fail "no keys.sav after Enter on the save screen"

read -r citizen passport room bottles paper bread pasta matches cigarettes gum meat money bag \
    health feces fatigue satiety <<<"$(values "$FOLDER/keys.sav")" || fail "keys.sav is not a saved game"
((matches == 2)) || fail "bought $matches boxes of matches, not 2"
((bread + pasta + cigarettes + gum + meat + bottles + paper == 0)) || fail "other goods moved"
((citizen + passport + room == 0 && bag == 2)) || fail "documents or bag changed"
# Two hours of begging, one visit to the market and a sleep.
((fatigue == 0)) || fail "fatigue $fatigue"
((health >= 100 - 4 * 2 - 2 + 3 && health <= 100 - 2 * 2 - 2 + 3)) || fail "health $health"
((satiety >= 100 - 4 * 2 - 1 - 30 && satiety <= 100 - 2 * 2 - 1 - 30)) || fail "satiety $satiety"
((feces >= 1 * 2 + 3 + 11 && feces <= 5 * 2 + 3 + 11)) || fail "feces $feces"
((money >= 0)) || fail "money $money"

key alt Return Up Return # "Файл" → "Выход"
expect_exit 0 10
echo "e2e keyboard: passed (money $money, fatigue $fatigue)"
