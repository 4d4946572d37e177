#!/usr/bin/env bash
# A game of the real tessaly program, driven with real X input on an X server of its own,
# is recorded into replays/ and proved by the headless replay with the recorded score;
# then tessaly --replay plays it on the full screen, to its end with Space held (fast
# forward), once cut short with Escape, and once in the window a settings file asks for,
# each ending with exit code 0.
# Usage: tessaly_replay.sh TESSALY TESSALY_HEADLESS GAME_DIR
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"
source "$(dirname "$0")/../game_folder.sh"

program=$1
headless=$2
game_dir=$3
need_game_folder "$game_dir"

source "$(dirname "$0")/game_run.sh"

link_game_folder "$game_dir"

echo "run 1: a game into a level and out, recorded"
start
wait_for "the launcher window" launcher_window
xdotool mousemove --window "$launcher" 485 120 click 1
wait_for "the launcher to close" no_launcher_window
wait_for "the pacing window" pacing_window
xdotool windowfocus --sync "$found"
xdotool keydown Return
wait_for "the full screen" full_screen
xdotool keyup Return
# Space through the logo, the introduction and the menu; S in the level shows it is there.
wait_for "a screenshot of the level" pressed_until "space s" screenshot_taken
xdotool keyup s keyup space
# The paddle moves and the ball is served, then Escape pauses and Space goes to the menu,
# where Escape, still held, ends the program.
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- 15 0; sleep 0.05; done
xdotool click 1
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- -10 0; sleep 0.05; done
xdotool keydown Escape
xdotool keydown space
wait_for_exit
xdotool keyup space keyup Escape

replays=("$work"/game/replays/*.replay)
[ "${#replays[@]}" -eq 1 ] && [ -f "${replays[0]}" ] || fail "no single replay in replays/: $(ls -a "$work/game/replays" 2>&1)"
replay=${replays[0]}
grep -q ' mouse ' "$replay" || fail "the replay holds no mouse movement"
grep -q '^end frames=[0-9]* score=[0-9]* level=1 by=menu$' "$replay" || fail "the replay's end: $(tail -1 "$replay")"
proof=$("$headless" replay "$replay" --data "$game_dir") || fail "the headless replay does not prove it: $proof"
echo "$proof" | grep -q '^phase=LevelPlay ' || fail "the replay never played the level: $proof"
recorded=$(sed -n 's/^end .* score=\([0-9]*\) .*/\1/p' "$replay")
echo "$proof" | tail -1 | grep -q "^score=$recorded level=1 frames=[0-9]* recorded-score=$recorded\$" ||
    fail "the replay's result: $(echo "$proof" | tail -1), recorded score $recorded"

echo "run 2: watched to its end, fast-forwarded with Space"
start --replay "$replay"
wait_for "the full screen" full_screen
xdotool windowfocus "$found" keydown space
wait_for_exit
xdotool keyup space
ls "$work"/game/replays | grep -qv "$(basename "$replay")" && fail "watching a replay recorded a game"

echo "run 3: watching ends on Escape"
start --replay "$replay"
wait_for "the full screen" full_screen
xdotool windowfocus "$found" key Escape
wait_for_exit

echo "run 4: in the window the settings ask for, which the replay leaves as it is"
mkdir -p "$work/config/tessaly"
printf 'display = window\nwindow_scale = 1\nmouse_speed = 3\n' >"$work/config/tessaly/settings.ini"
cp "$work/config/tessaly/settings.ini" "$work/settings.before"
start --replay "$replay"
in_window() { window_of_size 800x600; }
wait_for "the replay in its window" in_window
xdotool windowfocus "$found" keydown space
wait_for_exit
xdotool keyup space
cmp -s "$work/settings.before" "$work/config/tessaly/settings.ini" || fail "watching changed the settings"

echo "replay end to end: passed"
