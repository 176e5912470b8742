#!/usr/bin/env bash
# Runs a command inside a private session: its own Xvfb on a free display (unless --no-display),
# its own session bus (dbus-run-session) and its own XDG_RUNTIME_DIR, so that tests never touch
# the user's desktop, never spawn stray dbus-launch daemons and never collide with each other.
#
#   run-under-xvfb.sh [--no-display] [--screen WxHxD] COMMAND [ARG...]
#
# Exits with the command's status; 125 when the session itself could not be set up.
set -u

want_display=1
screen=1280x800x24
while [ $# -gt 0 ]; do
    case "$1" in
    --no-display) want_display=0; shift ;;
    --screen) screen="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--no-display] [--screen WxHxD] COMMAND [ARG...]" >&2; exit 125; }

session_dir=$(mktemp -d "${TMPDIR:-/tmp}/zentrivo-session.XXXXXX") || exit 125 # mode 0700
xvfb_pid=""

trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" && wait "$xvfb_pid"; rm -rf "$session_dir"' EXIT
trap 'exit 130' INT TERM

if [ "$want_display" = 1 ]; then
    # Xvfb writes the display number it picked to the fifo once it accepts connections, which is
    # the real readiness condition; the read is bounded in case Xvfb dies first.
    mkfifo "$session_dir/displayfd" || exit 125
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
        3>"$session_dir/displayfd" 2>"$session_dir/xvfb.log" &
    xvfb_pid=$!
    display=""
    read -r -t 30 display <"$session_dir/displayfd"
    if [ -z "$display" ]; then
        echo "run-under-xvfb.sh: Xvfb did not start:" >&2
        cat "$session_dir/xvfb.log" >&2
        exit 125
    fi
    export DISPLAY=":$display"
else
    unset DISPLAY
fi
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$session_dir"

dbus-run-session -- "$@"
