#!/usr/bin/env bash
# The Debian package's contents, installed into a staging folder as CPack installs them:
# the games layout, one version everywhere, a starter that finds the game from there, and
# the menu entries, metadata, level-file type and manual pages clean under their
# validators. A validator that is not installed is skipped, named, and the test reports a
# skip (77) once everything else has passed.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}
missing=()
have() {
    command -v "$1" >/dev/null && return 0
    echo "SKIPPED: $1 is not installed (scripts/deps installs it)"
    missing+=("$1")
    return 1
}

DESTDIR=$work/stage cmake --install "$build" --prefix /usr --component debian >/dev/null
usr=$work/stage/usr

# The layout: starters in games/, programs in lib/games/, data in share/games/, tools in bin/.
for program in games/tessaly games/tessaly-editor lib/games/tessaly/tessaly \
    lib/games/tessaly/editor bin/tessaly-pack bin/tessaly-headless; do
    [ -x "$usr/$program" ] || fail "no program $program"
done
game=$usr/share/games/tessaly
[ -f "$game/data/level1.pak" ] && [ -f "$game/sfx/theme.mp3" ] || fail "no packs or music"
ls "$game"/levels/*.lvl >/dev/null || fail "no sample levels"
[ -z "$(find "$usr" -name number.bin -o -name name.bin -o -name screen.bmp)" ] ||
    fail "player files installed"
for file in share/doc/tessaly/copyright share/doc/tessaly/changelog.gz \
    share/lintian/overrides/tessaly share/mime/packages/tessaly.xml \
    share/icons/hicolor/scalable/apps/tessaly.svg; do
    [ -f "$usr/$file" ] || fail "no $file"
done
# Debian keeps programs out of share/: nothing there may be a compiled program.
while IFS= read -r -d '' file; do
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" != '177ELF' ] || fail "a program in share: $file"
done < <(find "$usr/share" -type f -print0)

# The icon in every menu size, drawn at that size.
for size in 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/tessaly.png
    [ -f "$png" ] || fail "no ${size} pixel icon"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the $size pixel icon is ${width}x${height}"
done

# One version: every program, the metadata's release and the changelog.
[ "$("$usr/lib/games/tessaly/tessaly" --version)" = "tessaly $version" ] || fail "tessaly --version"
[ "$("$usr/lib/games/tessaly/editor" --version)" = "Tessaly level editor $version" ] ||
    fail "editor --version"
[ "$("$usr/bin/tessaly-pack" --version)" = "tessaly-pack $version" ] || fail "tessaly-pack --version"
[ "$("$usr/bin/tessaly-headless" --version)" = "tessaly-headless $version" ] ||
    fail "tessaly-headless --version"
metainfo=$(ls "$usr"/share/metainfo/*.metainfo.xml)
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" ||
    fail "no release $version in the metadata"
gzip -dc "$usr/share/doc/tessaly/changelog.gz" | head -1 | grep -q "^tessaly ($version) " ||
    fail "no release $version in the changelog"

# The starter finds the programs and the data from games/ and prepares the player's folder.
[ "$(HOME=$work/home XDG_DATA_HOME= "$usr/games/tessaly" --version)" = "tessaly $version" ] ||
    fail "the starter did not start the game"
own=$work/home/.local/share/tessaly
[ "$(readlink "$own/data/level1.pak")" = "$game/data/level1.pak" ] || fail "packs not linked"
[ "$(readlink "$own/sfx")" = "$game/sfx" ] || fail "music not linked"
[ "$(readlink "$own/editor")" = "$usr/lib/games/tessaly/editor" ] || fail "editor not linked"

# The game's menu entry opens level files, of the type the MIME package declares.
grep -qx 'MimeType=application/x-tessaly-level;' "$usr/share/applications/tessaly.desktop" ||
    fail "the game's menu entry takes no level files"
grep -q "<launchable type=\"desktop-id\">tessaly.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch the menu entry"

if have desktop-file-validate; then
    desktop-file-validate "$usr"/share/applications/*.desktop || fail "desktop-file-validate"
fi
if have appstreamcli; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
fi
if have update-mime-database; then
    mkdir -p "$work/mime/packages"
    cp "$usr/share/mime/packages/tessaly.xml" "$work/mime/packages/"
    update-mime-database "$work/mime" >"$work/mime.log" 2>&1 ||
        fail "update-mime-database: $(cat "$work/mime.log")"
    grep -qx 'application/x-tessaly-level:\*\.lvl' <(cut -d: -f2,3 "$work/mime/globs2") ||
        fail "*.lvl is not a level file"
fi
groff_found=0
if have groff; then groff_found=1; fi
for page in man6/tessaly.6 man6/tessaly-editor.6 man1/tessaly-pack.1 man1/tessaly-headless.1; do
    gz=$usr/share/man/$page.gz
    [ -f "$gz" ] || fail "no manual page $page"
    if [ $groff_found = 1 ]; then
        warnings=$(gzip -dc "$gz" | groff -man -ww -z 2>&1) || fail "groff on $page"
        [ -z "$warnings" ] || fail "groff on $page: $warnings"
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "package: layout checked, validators skipped: ${missing[*]}"
    exit 77
fi
echo "package: passed"
