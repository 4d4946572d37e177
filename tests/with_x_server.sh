#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb, 1280 x 1024 x 24) and stops the server
# after it; exits with the command's status. The server picks a free display itself and
# reports it (-displayfd), so other X servers on the machine, whatever lock files they
# leave, are never in the way. Only clients given its cookie (XAUTHORITY) may connect.
# Usage: with_x_server.sh COMMAND [ARGUMENT...]
set -euo pipefail

[ $# -gt 0 ] || { echo "usage: with_x_server.sh COMMAND [ARGUMENT...]" >&2; exit 2; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-x.XXXXXX")
server=
stop() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop EXIT
# A signal stops the server too, once the command has ended: the command runs in the
# foreground, so a terminal's Ctrl+C reaches it directly.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The server takes every cookie in its file, whatever display it is written for; clients
# look theirs up by display number, which is known only once the server runs.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$dir/server"
: >"$dir/clients"
xauth -q -f "$dir/server" add :0 . "$cookie"

# The server reports its display number on the pipe once it accepts connections, or ends
# without a word when it cannot start; it ends with this script however the script ends.
mkfifo "$dir/display"
stop_with_us=()
if command -v setpriv >/dev/null; then stop_with_us=(setpriv --pdeathsig TERM --); fi
"${stop_with_us[@]}" Xvfb -displayfd 3 -auth "$dir/server" -nolisten tcp -noreset \
    -screen 0 1280x1024x24 3>"$dir/display" >/dev/null 2>"$dir/log" </dev/null &
server=$!
number=
read -r number <"$dir/display" || true
if [ -z "$number" ]; then
    echo "with_x_server.sh: Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
fi

export DISPLAY=":$number"
export XAUTHORITY="$dir/clients"
xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"

status=0
"$@" || status=$?
exit "$status"
