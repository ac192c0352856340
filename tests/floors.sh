#!/usr/bin/env bash
# The floors hold in this tree; in a copy, a unit of the lowest floor that includes the main
# window, one that includes a unit beside it and two units that include each other are refused.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/floors" "$root"
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
echo '#include "shell/main_window.h"' >>"$copy/system/services.cpp"
echo '#include "activities/market.h"' >>"$copy/persistence/save_codec.cpp"
echo '#include "sound/sound_slot.h"' >>"$copy/sound/sound_output.h"
if found=$("$root/scripts/floors" "$copy"); then
    echo "FAIL: the floors let a unit include upwards, beside and round a circle"
    exit 1
fi
for fault in "system/services.cpp:[0-9]*: includes shell/main_window.h, but shell/ stands above system/" \
    "persistence/save_codec.cpp:[0-9]*: includes activities/market.h, but activities/ stands beside persistence/" \
    "a circle of includes: sound/sound_slot -> sound/sound_output -> sound/sound_slot"; do
    grep -qx "$fault" <<<"$found" || { echo "FAIL: not told: $fault; told: $found"; exit 1; }
done
