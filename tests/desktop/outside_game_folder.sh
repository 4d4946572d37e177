#!/usr/bin/env bash
# The real tessaly program started outside its game folder, on an X server of its own: it
# names the folder it looked in and how the game is started, on standard error and in a
# message window, opens no launcher and ends with exit code 1 once the player closes the
# window (its close box, or Return). With no display it only says so. --help and
# --version answer anywhere.
# Usage: outside_game_folder.sh TESSALY SEND_CLOSE_REQUEST
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"

program=$1
send_close_request=$2

source "$(dirname "$0")/game_run.sh"
deadline=$((SECONDS + 60))

mkdir "$work/empty" "$work/no-music" "$work/no-music/data"
empty=$(cd "$work/empty" && pwd -P)
no_music=$(cd "$work/no-music" && pwd -P)

(cd "$empty" && "$program" --version) | grep -q '^tessaly ' || fail "no version outside the game folder"
(cd "$empty" && "$program" --help) | grep -q '^usage: tessaly' || fail "no help outside the game folder"

start_in() {
    (cd "$1" && exec "$program") >"$out" 2>&1 &
    pid=$!
}
message_window() {
    found=$(xdotool search --onlyvisible --name '^Tessaly$' 2>/dev/null | head -1)
    [ -n "$found" ]
}
says() { grep -qF -- "$1" "$out" || fail "the message does not say: $1"; }
says_how_to_start() {
    says "The game runs in its game folder"
    says "scripts/play"
    says "the installed tessaly command"
}

echo "run 1: an empty folder; the message window's close box ends the program"
start_in "$empty"
wait_for "the message window" message_window
launcher_window && fail "the launcher opened"
"$send_close_request" "$found"
wait_for_exit 1
says "tessaly: no data/ and no sfx/ folder in $empty"
says_how_to_start

echo "run 2: a folder with data/ but no sfx/; Return closes the message"
start_in "$no_music"
wait_for "the message window" message_window
xdotool windowfocus --sync "$found" key Return
wait_for_exit 1
says "tessaly: no sfx/ folder in $no_music"

echo "run 3: no display to show a window on"
(cd "$empty" && env -u DISPLAY -u WAYLAND_DISPLAY "$program") >"$out" 2>&1 &
pid=$!
wait_for_exit 1
says "tessaly: no data/ and no sfx/ folder in $empty"
says_how_to_start

echo "outside the game folder: passed"
