#!/usr/bin/env bash
# The Debian package as a player gets it: built with Debian's hardening, installed (dpkg -i
# as root, otherwise unpacked into a scratch root), started from its desktop entry by an
# unprivileged player with a home of his own, a game saved, started again and loaded; played
# by root as well, who saves in his own folder too; then removed, leaving nothing of itself
# behind and the players' saves in place.
# Root installs into a throwaway copy of this machine's system: an overlay over its root, the
# changes in memory, in a mount namespace of the check's own. dpkg there never meets another
# dpkg or apt run of the machine, and whatever happens, nothing is left behind.
set -uo pipefail
if ((EUID == 0)) && [[ -z "${PACKAGE_CHECK_OWN_MOUNTS:-}" ]]; then
    PACKAGE_CHECK_OWN_MOUNTS=1 exec unshare --mount --propagation private -- "$BASH" "$0" "$@"
fi
BUILD=$(realpath "$1")
SHOTS=$2
source "$(dirname "$0")/e2e/lib.sh"

scratch=$(mktemp -d)
chmod 755 "$scratch"
REMOVE_AT_EXIT+=("$scratch")
installed=

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

# As root, dpkg installs it for real into the throwaway system, with no skitalia of the
# machine's own to replace; the player's game then runs there.
if ((EUID == 0)); then
    root=/mnt/system
    mount -t tmpfs tmpfs /mnt || fail "no tmpfs for the throwaway system"
    mkdir /mnt/changes /mnt/work "$root"
    mount -t overlay overlay -o lowerdir=/,upperdir=/mnt/changes,workdir=/mnt/work "$root" ||
        fail "no overlay over the machine's root"
    mount -t proc proc "$root/proc"
    for shared in /dev /sys /tmp; do
        mount --rbind "$shared" "$root$shared"
    done
    if chroot "$root" dpkg-query -W -f='${Status}' skitalia 2>/dev/null | grep -q installed; then
        chroot "$root" dpkg --purge skitalia >/dev/null 2>&1 || fail "the machine's own skitalia would not go"
    fi
    installed=yes
    chroot "$root" dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -i: $(tail -n5 "$scratch/dpkg.log")"
    PLAYER_SYSTEM=$root
else
    root="$scratch/root"
    dpkg -x "$deb" "$root" || fail "dpkg -x failed"
fi

game="$root/usr/lib/games/skitalia"
[[ -x "$game/skitalia" && -f "$game/trades.jpg" ]] || fail "no game in $game"
# The C start files of Debian 12 and 13 lack control-flow protection, so no program built there
# has it; branch protection is arm64's, which hardening-check looks for since Debian 13.
unmet=(--nocfprotection)
{ hardening-check --help 2>&1 || true; } | grep -q -- --nobranchprotection && unmet+=(--nobranchprotection)
hardening=$(hardening-check "${unmet[@]}" "$game/skitalia") || fail "hardening-check: $hardening"
[[ "$(readlink -f "$root/usr/games/skitalia")" == "$(readlink -f "$game/skitalia")" ]] ||
    fail "the launcher does not lead to the game"
entry="$root/usr/share/applications/ru.skitalia.Skitalia.desktop"
desktop-file-validate "$entry" || fail "the installed desktop entry does not validate"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[[ "$exec_line" == /usr/games/skitalia ]] || fail "Exec=$exec_line, not the launcher's full path"
launch=$exec_line
[[ -n "${PLAYER_SYSTEM:-}" ]] || launch=$root$exec_line
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
start_game as_player nobody "$home" "$launch"
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

start_game as_player nobody "$home" "$launch"
load_save first.sav
save_as second
[[ "$(values "$saves/second.sav")" == "$first" ]] || fail "the loaded game saved other values"
click_in "$main" 516 $((menu + 12))
expect_exit 0 10
[[ -z "$(find "$game" -name '*.sav')" ]] || fail "saves landed in the installed game folder"

# A player whose data home is a file: told once why, over the title, and the game plays on;
# a save names the cause instead of the installed folder's refusal.
touch "$scratch/data-home"
as_player nobody "$home" XDG_DATA_HOME="$scratch/data-home" "$launch" &
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
    start_game as_player root "$scratch/root-home" "$launch"
    save_as root
    click_in "$main" 516 $((menu + 12))
    expect_exit 0 10
    [[ "$(find "$game" -printf '%p %s %T@\n' | sort)" == "$installed_files" ]] ||
        fail "root's game wrote into $game"
fi

if [[ -n "$installed" ]]; then
    chroot "$root" dpkg --purge skitalia >"$scratch/dpkg.log" 2>&1 ||
        fail "dpkg --purge: $(tail -n5 "$scratch/dpkg.log")"
    ! chroot "$root" dpkg-query -W -f='${Status}' skitalia 2>/dev/null | grep -q installed ||
        fail "skitalia still installed"
    # Every file of the package is gone, and the folders that only it had.
    while read -r path; do
        [[ -e "$root$path" || -L "$root$path" ]] && fail "$path left after the purge"
    done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p')
    for folder in /usr/lib/games/skitalia /usr/share/doc/skitalia; do
        [[ -e "$root$folder" ]] && fail "$folder left after the purge"
    done
fi
[[ -f "$saves/first.sav" && -f "$saves/second.sav" ]] || fail "the player's saves went with the package"
echo "package check: passed (${deb##*/}, Depends: $depends)"
