#!/usr/bin/env bash
# `make clean` on a scratch copy of a built tree: the saved games in the game folders stay,
# every build product goes.
set -euo pipefail
SOURCE=$1
# For its time limit and its removal of what it made at every way out.
source "$(dirname "$0")/e2e/lib.sh"
tree=$(mktemp -d)
REMOVE_AT_EXIT+=("$tree")
cp "$SOURCE/Makefile" "$tree/"
kept=(build/default/game/game.sav build/default/game/.sav build/default/game/old/first.sav
      build/asan/game/x.sav)
gone=(build/default/game/skitalia build/default/game/2.wav build/default/game/prox.dat
      build/default/game/game.sav.saving-Ab12Cd build/default/build.ninja
      build/default/tests/seed.sav build/default/CMakeFiles/x.o)
for f in "${kept[@]}" "${gone[@]}"; do
    mkdir -p "$tree/$(dirname "$f")"
    echo "$f" >"$tree/$f"
done
mkdir -p "$tree/build/default/game/empty"
ln -s game.sav "$tree/build/default/game/link.sav"

make --no-print-directory -C "$tree" clean

status=0
for f in "${kept[@]}"; do
    [[ -f "$tree/$f" && "$(cat "$tree/$f")" == "$f" ]] || { echo "lost $f"; status=1; }
done
for f in "${gone[@]}" build/default/game/empty build/default/game/link.sav build/default/tests \
    build/default/CMakeFiles; do
    [[ ! -e "$tree/$f" && ! -L "$tree/$f" ]] || { echo "kept $f"; status=1; }
done
exit $status
