# Sourced, after x_driving.sh, by the script tests that start the real program ($program):
# a scratch folder $work, removed at the end, with the program started in it ($pid) stopped
# first (by $work_stop_signal, TERM unless the test sets another before sourcing this). The
# player's own settings file (a window, a mouse speed) stays out of the test.
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
pid=
cleanup() {
    [ -n "$pid" ] && kill "-${work_stop_signal:-TERM}" "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A game folder of the test's own, $work/game, on the pictures and tunes of GAME_DIR; the
# screenshots, scores and replays the game writes stay in it.
link_game_folder() {
    mkdir -p "$work/game/data"
    ln -s "$1"/data/*.pak "$work/game/data/"
    ln -s "$1/sfx" "$work/game/sfx"
}

# The program's output, and the time the waits of x_driving.sh give up.
out=$work/out
deadline=0

# Starts the program with the arguments in the game folder, with 90 s for what follows.
start() {
    deadline=$((SECONDS + 90))
    (cd "$work/game" && exec "$program" "$@") >"$out" 2>&1 &
    pid=$!
}

full_screen() { window_of_size 1280x1024; }
# The full screen's X window may be made again while the screen opens (SDL remakes it for
# its renderer), so each look finds the window anew: the keys go to it, pressed again in
# case the first press went to the window that went away.
pressed_until() {
    local keys=$1
    shift
    full_screen && xdotool windowfocus "$found" keyup $keys keydown $keys
    "$@"
}
screenshot_taken() { [ -s "$work/game/screen.bmp" ]; }
