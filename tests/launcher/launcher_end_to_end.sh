#!/usr/bin/env bash
# The windows before the game, driven with real X input on an X server of their own (so no
# other test's window is in the way): the launcher appears, "Launch Level Editor" starts the
# editor beside it, whose Play (F5) asks for a name, saves the level and starts the game on
# it from the game folder, a click on "Start Game/Level"
# hands over to the pacing window, Return there opens the full screen.
# Usage: launcher_end_to_end.sh LAUNCHER_RUN GAME_DIR
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"

program=$1
game_dir=$2
work=$(mktemp -d)
# The player's own settings file (a window, a mouse speed) stays out of the test.
export XDG_CONFIG_HOME=$work/config
out=$work/out
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The editor's file dialog keeps its settings in memory, with no session bus to save them on.
export GSETTINGS_BACKEND=memory

# The game folder has the editor and the pacing window's pictures and music.
cd "$game_dir"
"$program" >"$out" 2>&1 &
pid=$!

deadline=$((SECONDS + 90))

outcome_printed() { grep -q '^mode=' "$out"; }

wait_for "the launcher window" launcher_window
geometry=$(xdotool getwindowgeometry "$launcher")
echo "$geometry"
echo "$geometry" | grep -q 'Geometry: 600x369' || fail "launcher is not 600 x 369"

# "Launch Level Editor" sits at (380, 150), 210 x 40: the real editor starts in the game
# folder, with no file, while the launcher stays.
editor_window() {
    editor=$(xdotool search --onlyvisible --name '^Untitled level.*Tessaly Level Editor$' \
        2>/dev/null | head -1)
    [ -n "$editor" ]
}
xdotool mousemove --window "$launcher" 485 170 click 1
wait_for "the editor's window" editor_window
editor_pid=$(xdotool getwindowpid "$editor")
echo "editor $editor_pid in $(readlink "/proc/$editor_pid/cwd")"
[ "$(readlink "/proc/$editor_pid/cwd")" = "$(pwd -P)" ] || fail "the editor runs elsewhere"
[ "$(readlink "/proc/$editor_pid/exe")" = "$(pwd -P)/editor" ] || fail "not the game's editor"

# Play (F5) on a level never saved asks for its name first, saves it there and starts the
# real game on it, in the game folder, with the file's whole name: its launcher opens.
save_dialog() {
    found=$(xdotool search --onlyvisible --name '^Save Level As$' 2>/dev/null | head -1)
    [ -n "$found" ]
}
xdotool windowfocus --sync "$editor" key F5
wait_for "the editor to ask for a name" save_dialog
xdotool windowfocus --sync "$found" key ctrl+a type "$work/played.lvl"
xdotool key Return
saved() { [ -s "$work/played.lvl" ]; }
wait_for "the level to be saved" saved
game_started() {
    game_pid=$(pgrep -P "$editor_pid" -x tessaly || true)
    [ -n "$game_pid" ] && [ "$(tr '\0' ' ' <"/proc/$game_pid/cmdline")" = "$(pwd -P)/tessaly $work/played.lvl " ]
}
wait_for "the game on the saved level" game_started
echo "game $game_pid in $(readlink "/proc/$game_pid/cwd")"
[ "$(readlink "/proc/$game_pid/cwd")" = "$(pwd -P)" ] || fail "the game runs elsewhere"
# A build without the game's pictures and music has no game folder to play in: there the
# game says so in a message window instead of opening its launcher.
if [ -f data/level1.pak ] && [ -d sfx ]; then shown='^Tessaly version 1\.1$'; else shown='^Tessaly$'; fi
game_window() { xdotool search --onlyvisible --pid "$game_pid" --name "$shown" >/dev/null 2>&1; }
wait_for "the game's window" game_window
kill -TERM "$game_pid"
game_gone() { ! kill -0 "$game_pid" 2>/dev/null; }
wait_for "the game to end" game_gone

# The saved level has named the editor's window after its file by now: any window of the
# editor counts, or a click meant for the launcher could land on the closing editor.
editor_closed() { ! xdotool search --onlyvisible --name 'Tessaly Level Editor$' >/dev/null 2>&1; }
kill "$editor_pid"
wait_for "the editor to close" editor_closed
# The test's own launcher stays, once the game's has gone from the screen too.
one_launcher() {
    [ "$(xdotool search --onlyvisible --name '^Tessaly version 1\.1$' 2>/dev/null | wc -l)" -eq 1 ]
}
wait_for "the game's launcher to go" one_launcher
launcher_window || fail "the launcher went with the editor"

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
