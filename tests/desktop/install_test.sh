#!/usr/bin/env bash
# cmake --install makes a playable game: the game folder under share/tessaly, the starter
# `tessaly` that prepares the player's own folder under the XDG data home (the packs,
# music and levels linked in, the score files the player's own) and starts the game there,
# the menu entry and the icon; the level editor beside the game, with its own starter
# `tessaly-editor` and menu entry. The installation still works after being moved.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
prefix=$work/prefix
game=$prefix/share/tessaly
[ -x "$game/tessaly" ] || fail "no game program in $game"
[ -f "$game/data/level1.pak" ] && [ -f "$game/sfx/theme.mp3" ] || fail "no packs or music"
ls "$game"/levels/*.lvl >/dev/null || fail "no sample levels"
[ ! -e "$game/data/number.bin" ] && [ ! -e "$game/screen.bmp" ] || fail "player files installed"
[ -x "$game/editor" ] || fail "no level editor in $game"
[ -x "$prefix/bin/tessaly-pack" ] && [ -x "$prefix/bin/tessaly-headless" ] || fail "no tools"
grep -qx 'Exec=tessaly %f' "$prefix/share/applications/tessaly.desktop" || fail "no menu entry"
grep -qx 'Exec=tessaly-editor %f' "$prefix/share/applications/tessaly-editor.desktop" ||
    fail "no menu entry for the editor"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tessaly.svg" || fail "no icon"

# The starter's own folder, with HOME's default data home.
version=$(HOME=$work/home XDG_DATA_HOME= "$prefix/bin/tessaly" --version)
[ "$version" = "$("$game/tessaly" --version)" ] || fail "the starter did not start the game: $version"
own=$work/home/.local/share/tessaly
[ "$(readlink "$own/data/level1.pak")" = "$game/data/level1.pak" ] || fail "packs not linked"
[ "$(readlink "$own/sfx")" = "$game/sfx" ] || fail "music not linked"
[ "$(readlink "$own/editor")" = "$game/editor" ] || fail "editor not linked"
first_level=$(cd "$game/levels" && ls *.lvl | head -1)
[ -L "$own/levels/$first_level" ] || fail "sample levels not linked"

# The player's scores and own levels stay theirs across starts, and a moved installation
# is followed.
printf '12345\r\n' >"$own/data/number.bin"
echo "mine" >"$own/levels/my.lvl"
mv "$prefix" "$work/moved"
HOME=$work/home XDG_DATA_HOME= "$work/moved/bin/tessaly" --version >/dev/null
[ "$(cat "$own/data/number.bin")" = "$(printf '12345\r')" ] || fail "the score file changed"
[ ! -L "$own/data/number.bin" ] && [ "$(cat "$own/levels/my.lvl")" = mine ] || fail "player files touched"
[ "$(readlink "$own/data/level1.pak")" = "$work/moved/share/tessaly/data/level1.pak" ] ||
    fail "packs not linked to the moved installation"

# The editor's starter prepares the same folder and starts the editor.
editor_version=$(HOME=$work/home XDG_DATA_HOME= "$work/moved/bin/tessaly-editor" --version)
[ "$editor_version" = "$("$work/moved/share/tessaly/editor" --version)" ] ||
    fail "the editor's starter did not start the editor: $editor_version"

# A replay named from where the player is, is the one read (here refused, as it is none).
echo "no game" >"$work/mine.replay"
refusal=$(cd "$work" && HOME=$work/home XDG_DATA_HOME= "$work/moved/bin/tessaly" --replay mine.replay 2>&1) &&
    fail "a file that is no replay was played"
[ "$refusal" = "tessaly: $work/mine.replay: line 1: not a Tessaly replay (it starts with \"tessaly-replay 1\")" ] ||
    fail "the replay was not found where the player named it: $refusal"

# XDG_DATA_HOME, when set, is where the folder goes.
XDG_DATA_HOME=$work/xdg "$work/moved/bin/tessaly" --help >/dev/null
[ -L "$work/xdg/tessaly/data/level1.pak" ] || fail "XDG_DATA_HOME not followed"

# A level file named from where the player is stays found in the player's game folder:
# the game names it whole (it is not there, and without a display the game then ends).
mkdir "$work/here"
said=$(cd "$work/here" && env -u DISPLAY -u WAYLAND_DISPLAY HOME=$work/home XDG_DATA_HOME= \
    "$work/moved/bin/tessaly" gone.lvl 2>&1 || true)
echo "$said" | grep -qF "cannot play $(cd "$work/here" && pwd)/gone.lvl: there is no such file" ||
    fail "the level file's name was not made whole: $said"
echo "install: passed"
