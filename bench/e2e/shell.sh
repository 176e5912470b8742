#!/usr/bin/env bash
# Figures of the application shell on a private Xvfb (never pass/fail on time):
#   - a show request on the session bus to the reticle's MapNotify (median, 95th percentile);
#   - `zentrivoctl show` and `zentrivoctl close --no-execute` as whole processes;
#   - a cold start of zentrivo to its "ready" line;
#   - the resident memory of zentrivo with its tray icon embedded in a tray (trayer).
#
#   shell.sh ZENTRIVO ZENTRIVOCTL SHELL_LATENCY
#
# ZENTRIVO_BENCH_REQUESTS (default 50) and ZENTRIVO_BENCH_STARTS (default 10) shorten a local run.
set -euo pipefail
source "$(dirname "$0")/session.sh" "$@"
shift
zentrivo="$1" ctl="$2" latency="$3"
requests="${ZENTRIVO_BENCH_REQUESTS:-50}"
starts="${ZENTRIVO_BENCH_STARTS:-10}"

"$ctl" defaults write lastVersion -string 1
"$ctl" defaults write reticleFlags -int 1572864
# Without the fade the reticle unmaps at once, so each round starts from a closed reticle.
"$ctl" defaults write reticleFade -int 2

now_us() { echo $(( $(date +%s%N) / 1000 )); }
# stats NAME: the median, 95th percentile, minimum and maximum of the microsecond samples on
# standard input, in milliseconds.
stats() {
    sort -n | awk -v name="$1" '{ v[NR] = $1 } END {
        p95 = int(0.95 * NR + 0.999999); if (p95 > NR) p95 = NR
        printf "%s over %d runs: median %.2f ms, p95 %.2f ms, min %.2f ms, max %.2f ms\n",
            name, NR, v[int((NR + 1) / 2)] / 1000, v[p95] / 1000, v[1] / 1000, v[NR] / 1000 }'
}

# Cold starts: from starting the program to its "ready" line (the session, bus and X server warm).
# (A file, not a pipe: the zentrivo started last keeps the loop's output open.)
for _ in $(seq "$starts"); do
    t0=$(now_us)
    start_zentrivo "$zentrivo"
    echo $(( $(now_us) - t0 ))
done >"$home/start-times"
stats "cold start to ready" <"$home/start-times"

"$latency" "$requests"

for _ in $(seq "$requests"); do
    t0=$(now_us)
    "$ctl" show
    t1=$(now_us)
    "$ctl" close --no-execute
    echo "$((t1 - t0)) $(( $(now_us) - t1 ))"
done >"$home/ctl-times"
cut -d' ' -f1 "$home/ctl-times" | stats "zentrivoctl show (whole process)"
cut -d' ' -f2 "$home/ctl-times" | stats "zentrivoctl close --no-execute (whole process)"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
echo "rss without a tray: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
# A tray first, then zentrivo, whose icon it embeds.
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
timeout 10 sh -c 'until xprop -root _NET_SYSTEM_TRAY_S0 >/dev/null 2>&1 &&
    [ "$(xdotool search --name "^panel$" 2>/dev/null | wc -l)" -gt 0 ]; do sleep 0.05; done' || true
start_zentrivo "$zentrivo"
# The icon is embedded once the tray has reparented a window of zentrivo's (the reticle's
# parent is the root window).
embedded() {
    local root w
    root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
    for w in $(xdotool search --all --pid "$pid" --name '' 2>/dev/null); do
        [ "$(xwininfo -id "$w" -tree | awk '/Parent window id:/ { print $4 }')" != "$root" ] &&
            return 0
    done
    return 1
}
for _ in $(seq 200); do embedded && break; sleep 0.05; done
if embedded; then
    sleep 1
    echo "rss with the tray icon up: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
else
    echo "the tray icon did not appear; rss: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
fi
