# Helpers for driving the real game on a player's desktop: a private X server with a window
# manager, and on request a tray, a sound server and a screen reader, all of them private to
# the script and stopped at its end. Source this file, then start a session (start_xvfb,
# start_wayland_session or start_gnome_session) first; each helper says what it does where it
# is defined, in lib/ by concern.

set -uo pipefail
# A script gets the game's executable and the folder for its screenshots.
GAME=${1:-}
SHOTS=${2:-}
for part in session windows tray sound orca game; do
    source "$(dirname "${BASH_SOURCE[0]}")/lib/$part.sh"
done
