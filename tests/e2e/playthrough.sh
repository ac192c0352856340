#!/usr/bin/env bash
# A whole game on a private X server, played through the accessibility tree by
# playthrough.py: every screen from the title to a saved and loaded game.
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/lib.sh"
start_xvfb

copy_game_folder

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
# A fresh session bus of its own; the accessibility bus is started on it when first asked.
# The buses need no display, and kept off it they do not complain when the X server stops
# first. Debian's pyatspi belongs to the system Python, whatever python3 comes first.
env -u DISPLAY dbus-run-session -- env DISPLAY="$DISPLAY" \
    /usr/bin/python3 "$HERE/playthrough.py" "$COPY" "$SHOTS"
