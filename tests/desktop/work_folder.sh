# Sourced by the script tests that start the real program: a scratch folder $work, removed
# at the end, with the program started in it ($pid) stopped first (by $work_stop_signal,
# TERM unless the test sets another before sourcing this). The player's own settings file
# (a window, a mouse speed) stays out of the test.
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
