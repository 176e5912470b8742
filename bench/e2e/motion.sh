#!/usr/bin/env bash
# What moving the mouse costs the real zentrivo on a private Xvfb (figures, never pass/fail):
# CPU time and context switches (the wake-up proxy) of every zentrivo thread while a 1,000 Hz
# mouse makes ZENTRIVO_BENCH_MOTIONS (default 5,000) relative motions with no trigger held, and,
# for comparison, the same with the trigger (Super+Alt) held.
#
#   motion.sh ZENTRIVO ZENTRIVOCTL MOTION_BURST
set -euo pipefail
source "$(dirname "$0")/session.sh" "$@"
shift
zentrivo="$1" ctl="$2" burst="$3"
motions="${ZENTRIVO_BENCH_MOTIONS:-5000}"

"$ctl" defaults write lastVersion -string 1
"$ctl" defaults write reticleFlags -int 1572864
# An empty panel: the held trigger runs nothing when it ends.
"$ctl" defaults write mainReticleSpec -string '{"id":0}'

start_zentrivo "$zentrivo"

# Nanoseconds on a CPU, summed over every thread.
cpu_ns() { cat /proc/"$pid"/task/*/schedstat | awk '{ total += $1 } END { print total }'; }

measure() {
    local label="$1"
    shift
    # Let the start-up (or the previous run's fade) settle before counting.
    sleep 2
    local cpu0 cpu1 before after each total
    cpu0=$(cpu_ns) before="$(per_thread)"
    "$burst" "$motions" "$@"
    # Whatever the events cause is done well within a second.
    sleep 1
    cpu1=$(cpu_ns) after="$(per_thread)"
    { read -r each; read -r total; } < <(by_thread "$before" "$after")
    awk -v label="$label" -v n="$motions" -v ns=$((cpu1 - cpu0)) -v sw="$total" \
        'BEGIN { printf "%s: %d motion events cost %.1f ms of CPU and %d context switches (wake-ups)\n", label, n, ns / 1e6, sw }'
    echo "  by thread: $each"
}

measure "no trigger held"
measure "trigger held" hold
