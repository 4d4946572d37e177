#!/usr/bin/env bash
# The real tessaly program driven with real X input on an X server of its own: the
# launcher, the pacing choice, then the full screen through the logo, the introduction and
# the menu into a level (Space held), a screenshot with S, and Escape with Space back to the
# menu and out, with exit code 0. A second run ends on the desktop's close request for the
# full screen, a third on a termination signal while the launcher is open.
# Usage: tessaly_end_to_end.sh TESSALY GAME_DIR SEND_CLOSE_REQUEST LEVEL_FRAME_CHECK
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"
source "$(dirname "$0")/../game_folder.sh"

program=$1
game_dir=$2
send_close_request=$3
level_frame_check=$4
need_game_folder "$game_dir"

source "$(dirname "$0")/game_run.sh"

# The game runs in a folder of its own, so its screenshot and scores stay out of the build.
link_game_folder "$game_dir"
mkdir -p "$work/game/levels"
cp "$(ls "$game_dir"/levels/*.lvl | head -1)" "$work/game/levels/mine.lvl"

# Through the launcher ("Start Game/Level" at (380, 100), 210 x 40) and the pacing choice
# (Return held until the full screen is there) to the full screen, which gets the keyboard.
to_the_full_screen() {
    wait_for "the launcher window" launcher_window
    xdotool mousemove --window "$launcher" 485 120 click 1
    wait_for "the launcher to close" no_launcher_window
    wait_for "the pacing window" pacing_window
    xdotool windowfocus --sync "$found"
    xdotool keydown Return
    wait_for "the full screen" full_screen
    xdotool keyup Return
}

echo "run 1: into a level and out through the menu"
start
to_the_full_screen
# Keys count while they are held: Space skips the logo and the introduction after a frame
# each and starts a game in the menu; S held in the level saves the screen every frame.
wait_for "a screenshot of the level" pressed_until "space s" screenshot_taken
xdotool keyup s keyup space
# Escape pauses; Space there goes to the menu, where Escape, still held, ends the program.
xdotool keydown Escape
xdotool keydown space
wait_for_exit
xdotool keyup space keyup Escape
"$level_frame_check" "$work/game/screen.bmp" "$game_dir" || fail "screen.bmp shows no level frame"

echo "run 2: the desktop asks the full screen to close"
rm -f "$work/game/screen.bmp"
start
to_the_full_screen
# Asked again until it ends, in case a request went to a window that was made again.
while kill -0 "$pid" 2>/dev/null; do
    if full_screen; then "$send_close_request" "$found" || true; fi
    [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for the close request to end it"
    sleep 0.1
done
wait_for_exit

echo "run 3: a termination signal while the launcher is open"
start
wait_for "the launcher window" launcher_window
kill -TERM "$pid"
wait_for_exit

echo "run 4: a level file named on the command line is chosen in the launcher"
rm -f "$work/game/screen.bmp"
start levels/mine.lvl
to_the_full_screen
# No logo, introduction or menu: S alone saves a frame of the level.
wait_for "a screenshot of the level" pressed_until "s" screenshot_taken
xdotool keyup s
"$level_frame_check" "$work/game/screen.bmp" "$game_dir" || fail "screen.bmp shows no level frame"
xdotool keydown Escape
xdotool keydown space
wait_for_exit
xdotool keyup space keyup Escape

echo "run 5: a level file that is not there"
start missing.lvl
message_window() {
    found=$(xdotool search --onlyvisible --name '^Tessaly$' 2>/dev/null | head -1)
    [ -n "$found" ]
}
wait_for "the message window" message_window
grep -qF "tessaly: cannot play $(cd "$work/game" && pwd -P)/missing.lvl: there is no such file" "$out" ||
    fail "the message does not name the file"
xdotool windowfocus --sync "$found" key Return
wait_for "the launcher window" launcher_window
kill -TERM "$pid"
wait_for_exit

echo "end to end: passed"
