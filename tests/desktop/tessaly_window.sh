#!/usr/bin/env bash
# The real tessaly program in a window, driven with real X input on an X server of its own
# (1280 x 1024, so the window is 800 x 600): the settings file opens it in a window and
# names its bad line; Alt+Enter and F11 switch to the full screen and back before the menu
# and in the pause banner, each switch kept in the file; the mouse is held in a level and
# in the menu and free in the pause banner, where + makes it faster, kept in the file with
# the player's own lines. Ends through the menu with exit code 0.
# Usage: tessaly_window.sh TESSALY GAME_DIR
set -euo pipefail

source "$(dirname "$0")/../x_driving.sh"
source "$(dirname "$0")/../game_folder.sh"

program=$1
game_dir=$2
need_game_folder "$game_dir"

source "$(dirname "$0")/game_run.sh"

link_game_folder "$game_dir"
mkdir -p "$work/config/tessaly"
settings=$work/config/tessaly/settings.ini
printf '# mine\ndisplay = window\nmouse_speed = 2\nwindow_scale = many\nvolume = 11\n' >"$settings"
deadline=$((SECONDS + 120))
(cd "$work/game" && exec "$program") >"$out" 2>&1 &
pid=$!

game_window() { window_of_size 800x600; }
game_full_screen() { window_of_size 1280x1024; }
setting_is() { grep -qx "$1 = $2" "$settings"; }
# Moving the pointer to the corner of the screen: it stays in the window while the game
# holds the mouse, and gets there while it is free.
pointer_held() {
    xdotool mousemove 0 0
    local x
    x=$(xdotool getmouselocation | sed -n 's/^x:\([0-9]*\) .*/\1/p')
    [ "${x:-0}" -ge 240 ]
}
pointer_free() {
    xdotool mousemove 0 0
    xdotool getmouselocation | grep -q '^x:0 y:0 '
}
# Keys go to the game's window, found anew each time (SDL may make it again as it opens).
keys_to_game() {
    { game_window || game_full_screen; } && xdotool windowfocus "$found" key "$@"
}
# Presses the switch once and waits for the window or the full screen it leads to; only
# when nothing changed for three seconds (the key went to a window that was made again)
# is it pressed again, since a second press while the first is under way switches back.
switch_to() {
    local key=$1 shown=$2 pressed_at
    while :; do
        keys_to_game "$key" || true
        pressed_at=$SECONDS
        while [ $((SECONDS - pressed_at)) -lt 3 ]; do
            "$shown" && return 0
            [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $shown after $key"
            sleep 0.05
        done
    done
}
screenshot_taken() { [ -s "$work/game/screen.bmp" ]; }
held_until() {
    local keys=$1
    shift
    { game_window || game_full_screen; } && xdotool windowfocus "$found" keyup $keys keydown $keys
    "$@"
}

wait_for "the launcher window" launcher_window
xdotool mousemove --window "$launcher" 485 120 click 1
wait_for "the pacing window" pacing_window
xdotool windowfocus --sync "$found"
xdotool keydown Return
wait_for "the game's window" game_window
xdotool keyup Return
grep -q "settings.ini:4: bad value \"many\" for window_scale" "$out" ||
    fail "the bad line of the settings file is not named"

echo "before the menu: Alt+Enter to the full screen, F11 back"
switch_to alt+Return game_full_screen
wait_for "display = fullscreen kept" setting_is display fullscreen
switch_to F11 game_window
wait_for "display = window kept" setting_is display window

echo "a level: the mouse is held"
wait_for "a level" held_until "space s" screenshot_taken
xdotool keyup s keyup space
wait_for "the mouse held in the level" pointer_held

echo "the pause banner: the mouse is free, + is faster, the switches still work"
keys_to_game Escape
wait_for "the mouse free in the pause banner" pointer_free
keys_to_game plus
wait_for "mouse_speed = 2.25 kept" setting_is mouse_speed 2.25
switch_to F11 game_full_screen
switch_to alt+KP_Enter game_window
pointer_free || fail "the mouse is held in the pause banner after the switches"

echo "back in the level, then the menu: the mouse is held in both"
keys_to_game Return
wait_for "the mouse held in the level again" pointer_held
keys_to_game Escape
wait_for "the mouse free in the pause banner" pointer_free
keys_to_game space
wait_for "the mouse held in the menu" pointer_held
keys_to_game Escape
wait_for_exit

[ "$(grep -v '^window_scale' "$settings")" = "$(printf '# mine\ndisplay = window\nmouse_speed = 2.25\nvolume = 11')" ] ||
    fail "the settings file lost a line: $(cat "$settings")"
echo "window: passed"
