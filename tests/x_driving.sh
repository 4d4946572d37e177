# Shared by the end-to-end tests that drive the real windows with xdotool. Sourced at the
# top of a test: it runs the test again on an X server of its own (with_x_server.sh, so no
# other test's window is in the way) and gives the waits and window look-ups. The test
# sets pid (the program), out (its output file) and deadline (in SECONDS) before it waits.

if [ -z "${TESSALY_OWN_X:-}" ]; then
    export TESSALY_OWN_X=1
    exec "$(dirname "${BASH_SOURCE[0]}")/with_x_server.sh" "$0" "$@"
fi

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

# Waits for the program to end and checks its exit status: 0, or the one given.
wait_for_exit() {
    local expected=${1:-0} status=0
    while kill -0 "$pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for the program to end"
        sleep 0.05
    done
    wait "$pid" || status=$?
    pid=
    [ "$status" -eq "$expected" ] || fail "exit status $status, not $expected"
}

launcher_window() {
    launcher=$(xdotool search --onlyvisible --name '^Tessaly version 1\.1$' 2>/dev/null | head -1)
    [ -n "$launcher" ]
}
no_launcher_window() { ! launcher_window; }
# The program's visible window of the given size, in found.
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
