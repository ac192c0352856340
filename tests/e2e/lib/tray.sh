# Trays for the game's icon: an XEmbed tray (trayer) and a StatusNotifier one on the
# script's session bus.

# Starts an XEmbed tray and waits until it owns the tray selection and shows its panel.
start_tray() {
    local selection="_NET_SYSTEM_TRAY_S0" log="$DESKTOP_DIR/trayer.log"
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
        >"$log" 2>&1 &
    TRAY_PID=$!
    wait_alive 10 "$TRAY_PID" tray_shown "$selection" && return 0
    alive "$TRAY_PID" || fail "trayer ended at start: $(tail -n5 "$log")"
    fail "trayer did not take $selection within 10 s: $(tail -n5 "$log")"
}

tray_shown() {
    [[ "$("$XWIN" owner "$1")" != 0x0 && -n "$(xdotool search --onlyvisible --classname '^panel$' 2>/dev/null)" ]]
}

# Ends the XEmbed tray, as a panel that crashes.
stop_tray() {
    kill "$TRAY_PID"
    wait "$TRAY_PID" 2>/dev/null
    TRAY_PID=
}

# Starts a StatusNotifier tray: a panel that runs the watcher (org.kde.StatusNotifierWatcher)
# itself and shows the icons registered with it. Waits until the watcher has its host, as Qt
# asks at start when it picks its tray. Sets SNI_PID.
start_sni_tray() {
    local log="$DESKTOP_DIR/sni-tray.log"
    # Now and then the tray does not come up (its own watcher refused it, UnknownObject): as
    # a panel's session does, it is started again.
    for _ in 1 2 3; do
        NO_AT_BRIDGE=1 gtk-sni-tray-standalone --watcher --bottom >>"$log" 2>&1 &
        SNI_PID=$!
        wait_alive 10 "$SNI_PID" sni_host_ready && return 0
        echo "the StatusNotifier tray did not start, once more: $(tail -n1 "$log")" >&2
        stop_sni_tray
    done
    fail "the StatusNotifier tray did not start: $(tail -n5 "$log")"
}

# Ends the StatusNotifier tray, watcher and all, as a panel that crashes.
stop_sni_tray() {
    kill "$SNI_PID" 2>/dev/null
    wait "$SNI_PID" 2>/dev/null
    SNI_PID=
}

bus_call() { gdbus call --session "$@" 2>/dev/null; }
# The connection that holds the game's icon on the bus.
item_owner() {
    bus_call -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.GetNameOwner \
        "$(sni_item_of_game)"
}

watcher_property() {
    bus_call -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
        -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1"
}

sni_host_ready() { [[ "$(watcher_property IsStatusNotifierHostRegistered)" == "(<true>,)" ]]; }

# Prints the bus name of the game's icon as the StatusNotifier watcher lists it; false while
# it lists none of the game's. Needs GAME_PID.
sni_item_of_game() {
    local item
    for item in $(watcher_property RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"); do
        item=${item%%/*}
        [[ "$(bus_call -d org.freedesktop.DBus -o /org/freedesktop/DBus \
            -m org.freedesktop.DBus.GetConnectionUnixProcessID "$item")" == "(uint32 $GAME_PID,)" ]] &&
            echo "$item" && return 0
    done
    return 1
}

# True when the window sits inside the tray's panel, as a docked icon does.
in_tray() { [[ "$("$XWIN" "$1" ancestors 2>/dev/null)" == *"panel trayer"* ]]; }

# Prints "ID X Y": the game's icon docked in the tray, and its centre in screen coordinates;
# waits up to the given seconds for it. Needs GAME_PID.
tray_icon_of_game() { wait_until "${1:-10}" docked_icon_of_game; }

docked_icon_of_game() {
    local id x y w h
    for id in $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null); do
        in_tray "$id" || continue
        read -r x y w h <<<"$("$XWIN" "$id" geometry)"
        echo "$id $((x + w / 2)) $((y + h / 2))"
        return 0
    done
    return 1
}
