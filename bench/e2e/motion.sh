#!/usr/bin/env bash
# What moving the mouse costs the real zentrivo on a private Xvfb (figures, never pass/fail):
# CPU time and context switches (the wake-up proxy) of every zentrivo thread while a 1,000 Hz
# mouse makes ZENTRIVO_BENCH_MOTIONS (default 5,000) relative motions with no trigger held, and,
# for comparison, the same with the trigger (Super+Alt) held.
#
#   motion.sh ZENTRIVO ZENTRIVOCTL MOTION_BURST
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ "${1:-}" != "--session" ]; then
    exec "$here/../../tests/e2e/tools/run-under-xvfb.sh" "$0" --session "$@"
fi
shift
zentrivo="$1" ctl="$2" burst="$3"
motions="${ZENTRIVO_BENCH_MOTIONS:-5000}"

home="$(mktemp -d "${TMPDIR:-/tmp}/zentrivo-bench.XXXXXX")"
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_CACHE_HOME="$home/cache" XDG_DATA_DIRS="/usr/local/share:/usr/share"
mkdir -p "$HOME" "$XDG_DATA_HOME/applications"
"$ctl" defaults write lastVersion -string 1
"$ctl" defaults write reticleFlags -int 1572864
# An empty panel: the held trigger runs nothing when it ends.
"$ctl" defaults write mainReticleSpec -string '{"id":0}'

log="$home/zentrivo.log"
: >"$log" # exists before tail follows it
"$zentrivo" 2>"$log" &
pid=$!
if ! timeout 60 grep -q -m1 "com-tovelane-Zentrivo ready" <(tail -n +1 -f "$log"); then
    echo "zentrivo did not start:"
    cat "$log"
    exit 1
fi

# Nanoseconds on a CPU and context switches, summed over every thread.
cpu_ns() { cat /proc/"$pid"/task/*/schedstat | awk '{ total += $1 } END { print total }'; }
switches() {
    cat /proc/"$pid"/task/*/status |
        awk '/^(non)?voluntary_ctxt_switches:/ { total += $2 } END { print total }'
}
per_thread() {
    for task in /proc/"$pid"/task/*; do
        printf '%s %s\n' "$(tr ' ' _ <"$task/comm")" \
            "$(awk '/^(non)?voluntary_ctxt_switches:/ { t += $2 } END { print t }' "$task/status")"
    done
}

measure() {
    local label="$1"
    shift
    # Let the start-up (or the previous run's fade) settle before counting.
    sleep 2
    local cpu0 switches0 cpu1 switches1 before after
    cpu0=$(cpu_ns) switches0=$(switches) before="$(per_thread)"
    "$burst" "$motions" "$@"
    # Whatever the events cause is done well within a second.
    sleep 1
    cpu1=$(cpu_ns) switches1=$(switches) after="$(per_thread)"
    awk -v label="$label" -v n="$motions" -v ns=$((cpu1 - cpu0)) -v sw=$((switches1 - switches0)) \
        'BEGIN { printf "%s: %d motion events cost %.1f ms of CPU and %d context switches (wake-ups)\n", label, n, ns / 1e6, sw }'
    echo "  by thread: $(paste -d' ' <(echo "$before") <(echo "$after") |
        awk '{ printf "%s%s %d", sep, $1, $4 - $2; sep = ", " }')"
}

measure "no trigger held"
measure "trigger held" hold
