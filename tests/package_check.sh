#!/usr/bin/env bash
# The Debian package as a player gets it: built with Debian's hardening, installed (dpkg -i
# as root, otherwise unpacked into a scratch root), started from its desktop entry by an
# unprivileged player with a home of his own, a game saved, started again and loaded; played
# by root as well, who saves in his own folder too; then removed, leaving nothing of itself
# behind and the players' saves in place.
set -uo pipefail
BUILD=$(realpath "$1")
SHOTS=$2
source "$(dirname "$0")/e2e/lib.sh"

scratch=$(mktemp -d)
chmod 755 "$scratch"
REMOVE_AT_EXIT+=("$scratch")
installed=
# Run at every way out, a timeout or a signal too: a package left installed would pass for
# the system's own in the next run, and never be removed.
purge() {
    [[ -n "$installed" ]] || return 0
    dpkg --purge skitalia >/dev/null 2>&1
    # What a failing root's game may have left, which would spoil the next install.
    rm -f /usr/lib/games/skitalia/prox.dat /usr/lib/games/skitalia/root.sav
    rmdir /usr/lib/games/skitalia 2>/dev/null
}
AT_EXIT+=(purge)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
deb="$scratch/skitalia_${version}_$(dpkg --print-architecture).deb"
(cd "$BUILD" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1) ||
    fail "cpack: $(tail -n5 "$scratch/cpack.log")"
[[ -f "$deb" ]] || fail "no $(basename "$deb"): $(ls "$scratch")"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libpulse0 libturbojpeg0; do
    [[ "$depends" =~ (^|, )${library}( |,|$) ]] || fail "Depends lacks $library: $depends"
done

# Lintian leaves a folder of its own in TMPDIR.
TMPDIR=$scratch lintian --fail-on error,warning --display-info --pedantic "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v '^running with root' "$scratch/lintian.log")"
grep hardening- "$scratch/lintian.log" && fail "lintian finds the executable without hardening"

# As root, and with no skitalia of the system's own to replace, dpkg installs it for real.
if ((EUID == 0)) && ! dpkg-query -W -f='${Status}' skitalia 2>/dev/null | grep -q installed; then
    root=
    installed=yes
    dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -i: $(tail -n5 "$scratch/dpkg.log")"
else
    root="$scratch/root"
    dpkg -x "$deb" "$root" || fail "dpkg -x failed"
fi

game="$root/usr/lib/games/skitalia"
[[ -x "$game/skitalia" && -f "$game/trades.jpg" ]] || fail "no game in $game"
# Debian 12's own C start files lack control-flow protection, so no program built there has it.
hardening=$(hardening-check --nocfprotection "$game/skitalia") || fail "hardening-check: $hardening"
[[ "$(readlink -f "$root/usr/games/skitalia")" == "$(readlink -f "$game/skitalia")" ]] ||
    fail "the launcher does not lead to the game"
entry="$root/usr/share/applications/ru.skitalia.Skitalia.desktop"
desktop-file-validate "$entry" || fail "the installed desktop entry does not validate"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[[ "$exec_line" == /usr/games/skitalia ]] || fail "Exec=$exec_line, not the launcher's full path"
grep -qx 'StartupWMClass=ru.skitalia.Skitalia' "$entry" || fail "no StartupWMClass for the desktop id"

# The player: nobody, with a scratch home of his own and the bare environment of a
# session whose PATH lacks /usr/games, starting what the desktop entry says.
home="$scratch/home"
mkdir "$home"
chown nobody: "$home"
saves="$home/.local/share/skitalia"
runuser -u nobody -- test -w "$game" && fail "the installed game folder is writable by nobody"

start_xvfb
FOLDER=$saves
start_game as_player nobody "$home" "$root$exec_line"
class=$(xprop -id "$main" WM_CLASS)
[[ "$class" == *'"ru.skitalia.Skitalia"'* ]] || fail "the window's class is not the desktop id: $class"
# An hour of begging, so that the saved game differs from a new one.
beg_an_hour
save_as first
first=$(values "$saves/first.sav") || fail "first.sav is not a saved game"
[[ "$first" != "0 0 0 0 0 0 0 0 0 0 0 0 2 100 0 0 100" ]] || fail "the begging left no trace in the save"
[[ "$(stat -c %U "$saves/first.sav")" == nobody ]] || fail "first.sav does not belong to the player"
click_in "$main" 516 $((menu + 12)) # the close button
expect_exit 0 10

start_game as_player nobody "$home" "$root$exec_line"
load_save first.sav
save_as second
[[ "$(values "$saves/second.sav")" == "$first" ]] || fail "the loaded game saved other values"
click_in "$main" 516 $((menu + 12))
expect_exit 0 10
[[ -z "$(find "$game" -name '*.sav')" ]] || fail "saves landed in the installed game folder"

# A player whose data home is a file: told once why, over the title, and the game plays on;
# a save names the cause instead of the installed folder's refusal.
touch "$scratch/data-home"
as_player nobody "$home" XDG_DATA_HOME="$scratch/data-home" "$root$exec_line" &
GAME_PID=$!
box=$(wait_window "skitalia" "[0-9]*x[0-9]*") || fail "no box about the player's folder"
screenshot "$box" package-folder-unmade
press_keys --window "$box" Return
wait_gone "skitalia"
FOLDER=
start_game true
try_save game
box=$(wait_window "skitalia" "[0-9]*x[0-9]*") || fail "no box for a save into a folder under a file"
screenshot "$box" package-folder-unmade-save
press_keys --window "$box" Return
wait_gone "skitalia"
click_in "$main" 516 $((menu + 12))
expect_exit 0 10

# Root may write the installed folder, and still plays in a folder of his own: a file left
# under /usr would keep dpkg from removing the package's folder.
if [[ -n "$installed" ]]; then
    installed_files=$(find "$game" -printf '%p %s %T@\n' | sort)
    mkdir "$scratch/root-home"
    FOLDER="$scratch/root-home/.local/share/skitalia"
    start_game as_player root "$scratch/root-home" "$exec_line"
    save_as root
    click_in "$main" 516 $((menu + 12))
    expect_exit 0 10
    [[ "$(find "$game" -printf '%p %s %T@\n' | sort)" == "$installed_files" ]] ||
        fail "root's game wrote into $game"
fi

if [[ -n "$installed" ]]; then
    dpkg --purge skitalia >"$scratch/dpkg.log" 2>&1 || fail "dpkg --purge: $(tail -n5 "$scratch/dpkg.log")"
    installed=
    ! dpkg-query -W -f='${Status}' skitalia 2>/dev/null | grep -q installed || fail "skitalia still installed"
    # Every file of the package is gone, and the folders that only it had.
    while read -r path; do
        [[ -e "$path" || -L "$path" ]] && fail "$path left after the purge"
    done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p')
    for folder in /usr/lib/games/skitalia /usr/share/doc/skitalia; do
        [[ -e "$folder" ]] && fail "$folder left after the purge"
    done
fi
[[ -f "$saves/first.sav" && -f "$saves/second.sav" ]] || fail "the player's saves went with the package"
echo "package check: passed (${deb##*/}, Depends: $depends)"
