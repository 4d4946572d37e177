#!/usr/bin/env bash
# The windows before the game, driven with real X input on an X server of their own (so no
# other test's window is in the way): the launcher appears, a click on "Start Game/Level"
# hands over to the pacing window, Return there opens the full screen.
# Usage: launcher_end_to_end.sh LAUNCHER_RUN GAME_DIR
set -euo pipefail

if [ -z "${TESSALY_OWN_X:-}" ]; then
    export TESSALY_OWN_X=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

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
fail() {
    echo "FAILED: $*"
    echo "--- program output:"
    cat "$out"
    exit 1
}
# Waits until the command succeeds; fails if the program ends first or time runs out.
wait_for() {
    local what=$1
    shift
    until "$@"; do
        kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for $what"
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}

launcher_window() {
    launcher=$(xdotool search --onlyvisible --name '^Tessaly version 1\.1$' 2>/dev/null | head -1)
    [ -n "$launcher" ]
}
no_launcher_window() { ! launcher_window; }
# The program's visible window of the given size.
window_of_size() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        if xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: $1\$"; then
            found=$w
            return 0
        fi
    done
    return 1
}
pacing_window() { window_of_size 400x200; }
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
