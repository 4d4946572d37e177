#!/usr/bin/env bash
# The real tessaly program in a game folder where pipes stand in place of the pacing
# window's pack (data/win.pak) and its music (sfx/introwin.mp3): after Start the pacing
# window still opens, without its pictures and music, and a termination signal then ends
# the program with exit code 0. An interrupt while the launcher waits, and a hang-up in the
# pause between the launcher and the pacing window, end it the same way.
# Usage: tessaly_pipe_files.sh TESSALY GAME_DIR
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"
source "$(dirname "$0")/../game_folder.sh"

program=$1
game_dir=$2
need_game_folder "$game_dir"

work_stop_signal=KILL
source "$(dirname "$0")/game_run.sh"

mkdir -p "$work/game/data" "$work/game/sfx"
ln -s "$game_dir"/data/*.pak "$work/game/data/"
ln -s "$game_dir"/sfx/*.mp3 "$work/game/sfx/"
rm "$work/game/data/win.pak" "$work/game/sfx/introwin.mp3"
# Nobody ever writes into these: opening them to read would wait for a writer for ever.
mkfifo "$work/game/data/win.pak" "$work/game/sfx/introwin.mp3"

start() {
    deadline=$((SECONDS + 90))
    (cd "$work/game" && SDL_AUDIODRIVER=dummy exec "$program") >"$out" 2>&1 &
    pid=$!
}
# Sends the signal and waits for the program to end with exit code 0.
ends_on() {
    kill "-$1" "$pid"
    deadline=$((SECONDS + 20))
    local status=0
    while kill -0 "$pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "still running 20 s after SIG$1"
        sleep 0.05
    done
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq 0 ] || fail "exit status $status after SIG$1"
}

echo "run 1: the pacing window opens past the pipes and ends on a termination signal"
start
wait_for "the launcher window" launcher_window
xdotool mousemove --window "$launcher" 485 120 click 1
wait_for "the pacing window" pacing_window
ends_on TERM

echo "run 2: an interrupt while the launcher waits for the player"
start
wait_for "the launcher window" launcher_window
ends_on INT

echo "run 3: a hang-up in the pause after the launcher closes"
start
wait_for "the launcher window" launcher_window
xdotool mousemove --window "$launcher" 485 120 click 1
wait_for "the launcher to close" no_launcher_window
ends_on HUP

echo "pipe files: passed"
