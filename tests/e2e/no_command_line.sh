#!/usr/bin/env bash
# The game takes no command line: given Qt's own options it starts as it does bare, on the
# X server, in the same style and not mirrored, its close button at the right.
source "$(dirname "$0")/lib.sh"
start_xvfb

start_game "$GAME"
screenshot "$main" e2e-bare-start
close_game

start_game "$GAME" -reverse -style windows -platform offscreen
screenshot "$main" e2e-start-with-options
differing=$(compare -metric AE "$SHOTS/e2e-bare-start.png" "$SHOTS/e2e-start-with-options.png" null: 2>&1)
[[ "$differing" == 0 ]] || fail "$differing pixels differ from a bare start"
close_game # where it is unmirrored
echo "e2e no_command_line: passed"
