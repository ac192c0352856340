#!/usr/bin/env bash
# A whole game on a private X server, played through the accessibility tree by
# playthrough.py: every screen from the title to a saved and loaded game.
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/lib.sh"
start_xvfb

copy_game_folder

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
# The accessibility bus is started on the script's session bus when first asked. Debian's
# pyatspi belongs to the system Python, whatever python3 comes first.
/usr/bin/python3 "$HERE/playthrough.py" "$COPY" "$SHOTS"
