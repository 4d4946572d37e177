#!/usr/bin/env bash
# The windows before the game, driven with real X input on an X server of their own (so no
# other test's window is in the way): the launcher appears, a click on "Start Game/Level"
# hands over to the pacing window, Return there opens the full screen.
# Usage: launcher_end_to_end.sh LAUNCHER_RUN GAME_DIR
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"

program=$1
game_dir=$2
work=$(mktemp -d)
out=$work/out
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The game folder has the pacing window's pictures and music; without it the choice
# still works.
cd "$game_dir" 2>/dev/null || cd "$work"
"$program" >"$out" 2>&1 &
pid=$!

deadline=$((SECONDS + 60))

outcome_printed() { grep -q '^mode=' "$out"; }

wait_for "the launcher window" launcher_window
geometry=$(xdotool getwindowgeometry "$launcher")
echo "$geometry"
echo "$geometry" | grep -q 'Geometry: 600x369' || fail "launcher is not 600 x 369"

# "Start Game/Level" sits at (380, 100), 210 x 40.
xdotool mousemove --window "$launcher" 485 120 click 1
wait_for "the launcher to close" no_launcher_window
wait_for "the pacing window" pacing_window
pacing=$found
echo "pacing window $pacing"

# Return is held until the program has taken it: keys count while they are down.
xdotool windowfocus --sync "$pacing"
xdotool keydown Return
wait_for "the full screen and the outcome" outcome_printed
xdotool keyup Return

wait "$pid" && status=0 || status=$?
pid=
cat "$out"
[ "$status" -eq 0 ] || fail "exit status $status"
grep -qx 'mode=FullGame path= pacing=RefreshPacing screen=800x600 full music=.*' "$out" ||
    fail "unexpected outcome"
echo "end to end: passed"
