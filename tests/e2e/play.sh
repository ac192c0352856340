#!/usr/bin/env bash
# Plays the real game on a real X server as a player would: begs for an hour and comes back.
# As root, on Xorg, whose screen then shrinks under the game.
source "$(dirname "$0")/lib.sh"
if ((EUID == 0)); then start_xorg; else start_xvfb; fi

start_game "$GAME"
# "НАЗАД" exists only in the result arrangement: pressing it must bring the main window back.
beg_an_hour e2e-begging-result
screenshot "$main" e2e-after-begging

# The screen shrinks, as a monitor's does when it is unplugged or set to another size: the main
# window comes back onto it whole, and so does the begging screen shown afterwards.
if ((EUID == 0)); then
    xrandr --output DUMMY0 --mode 800x600 || fail "xrandr could not shrink the screen"
    wait_until 5 on_screen "$main" || fail "the main window stayed off the shrunk screen, at $(window_place "$main")"
    beg_an_hour
else
    echo "e2e play: the shrinking screen needs Xorg, which takes a configuration of its own from root only"
fi

close_game
echo "e2e play: passed"
