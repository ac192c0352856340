#!/usr/bin/env bash
# Files that are not what they seem, in the real game: FIFOs as the street picture and a reel's
# symbol, a FIFO chosen in the open-file dialog, a FIFO or a link as prox.dat, a saved game's
# name that links outside the game folder, a huge file chosen to load. The
# game must not hang, must show the box that a plain mistake of the same kind shows, and must
# leave everything outside its folder as it was. Runs in a copy of the game folder.
source "$(dirname "$0")/lib.sh"

start_xvfb
copy_game_folder
OUTSIDE=$(mktemp -d)
REMOVE_AT_EXIT+=("$OUTSIDE")
printf 'notes\n' >"$OUTSIDE/notes"
write_save "$OUTSIDE/kept.sav" 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17
fingerprint() {
    (cd "$OUTSIDE" && ls -l --time-style=+ . && sha256sum ./*)
}
outside_before=$(fingerprint)

rm "$FOLDER/trades.jpg" "$FOLDER/fr1.bmp"
mkfifo "$FOLDER/trades.jpg" "$FOLDER/fr1.bmp"
start_game "$COPY"

# 0. The street and the first symbol show nothing; a spin, which reads the symbols at every
# tick, still ends.
#          documents goods (bottles..meat)  money bag health feces fatigue satiety
write_save "$FOLDER/rich.sav" 0 0 0 0 0 0 0 0 0 0 0 500 2 100 0 0 100
load_save rich.sav
spin_once # a game waiting on fr1.bmp never stops the reels
back_to_main "$slot" 160 267 "the slot machine"

# Waits for the game's error box, keeps its picture as NAME and closes it. A game that hangs
# shows no box.
expect_box() {
    local box
    box=$(wait_window "skitalia" "[0-9]*x[0-9]*") || fail "$1: no box within 15 s: the game hangs or took the file"
    screenshot "$box" "e2e-box-$1"
    press_keys --window "$box" Return
    wait_gone "skitalia"
}

# The two boxes show the same message: their pictures are the same.
same_box() {
    local differ
    differ=$(compare -metric AE "$SHOTS/e2e-box-$1.png" "$SHOTS/e2e-box-$2.png" null: 2>&1)
    [[ "$differ" == 0 ]] || fail "$1: not the box of $2 ($differ pixels differ)"
}

# The boxes of plain mistakes, for comparison: a folder's name, and a name out of the folder.
mkdir "$FOLDER/folder.sav"
try_save folder
expect_box denied
try_save '..\up'
expect_box invalid

# 1. A FIFO chosen in the open-file dialog.
mkfifo "$FOLDER/fifo.sav"
try_load fifo.sav
expect_box fifo-chosen
same_box fifo-chosen denied

# 2. prox.dat a FIFO: a save, then a load.
rm -f "$FOLDER/prox.dat"
mkfifo "$FOLDER/prox.dat"
try_save game
expect_box fifo-staging-save
same_box fifo-staging-save denied
try_load "$OUTSIDE/kept.sav"
expect_box fifo-staging-load
same_box fifo-staging-load denied
[[ -p "$FOLDER/prox.dat" ]] || fail "prox.dat is no longer the FIFO"

# 3. prox.dat a link to a file outside.
rm -f "$FOLDER/prox.dat"
ln -s "$OUTSIDE/notes" "$FOLDER/prox.dat"
try_save game
expect_box link-staging-save
same_box link-staging-save denied
try_load "$OUTSIDE/kept.sav"
expect_box link-staging-load
same_box link-staging-load denied
rm -f "$FOLDER/prox.dat"

# 4. A saved game's name that links to a file outside.
ln -s "$OUTSIDE/kept.sav" "$FOLDER/linked.sav"
try_save linked
expect_box link-target
same_box link-target invalid
[[ -L "$FOLDER/linked.sav" ]] || fail "the link was replaced"

# 5. A saved game followed by 4 GiB (a hole, taking no disk): read no further than its head,
# at once, and prox.dat left empty.
cp "$OUTSIDE/kept.sav" "$FOLDER/huge.sav"
truncate -s 4G "$FOLDER/huge.sav"
printf 'x' >"$FOLDER/prox.dat" # only a load that succeeds leaves it empty
staging_empty() { [[ -f "$FOLDER/prox.dat" && ! -s "$FOLDER/prox.dat" ]]; }
try_load huge.sav
wait_until 2 staging_empty || fail "no load of the 4 GiB file's head within 2 s"
rm "$FOLDER/huge.sav"

[[ "$(fingerprint)" == "$outside_before" ]] || fail "a file outside the game folder changed"

# Still playing: a plain save works.
save_as plain
[[ "$(values "$FOLDER/plain.sav")" ]] || fail "plain.sav is not a saved game"
close_game
echo "e2e hostile_files: passed"
