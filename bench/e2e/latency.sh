#!/usr/bin/env bash
# Figures of the real zentrivo on a private Xvfb (never pass/fail on time):
#   - trigger-to-mapped latency: from the XTest event that completes the modifier set to the
#     reticle window's MapNotify as another X client sees it (median and 95th percentile);
#   - the resident memory of an idle zentrivo (VmRSS);
#   - CPU ticks and context switches (the wake-up proxy) over an idle period.
#
#   latency.sh ZENTRIVO ZENTRIVOCTL RETICLE_LATENCY
#
# ZENTRIVO_BENCH_TRIGGERS (default 60) and ZENTRIVO_BENCH_IDLE_SECONDS (default 30) shorten a
# local run.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ "${1:-}" != "--session" ]; then
    exec "$here/../../tests/e2e/tools/run-under-xvfb.sh" "$0" --session "$@"
fi
shift
zentrivo="$1" ctl="$2" latency="$3"
triggers="${ZENTRIVO_BENCH_TRIGGERS:-60}"
idle="${ZENTRIVO_BENCH_IDLE_SECONDS:-30}"

home="$(mktemp -d "${TMPDIR:-/tmp}/zentrivo-bench.XXXXXX")"
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home/home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
# The system folders, as on a real desktop (icons, MIME types, installed applications).
export XDG_CACHE_HOME="$home/cache" XDG_DATA_DIRS="/usr/local/share:/usr/share"
mkdir -p "$HOME" "$XDG_DATA_HOME/applications"
cat >"$XDG_DATA_HOME/applications/bench-app.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Bench App
Icon=utilities-terminal
Exec=true
ENTRY
"$ctl" defaults write mainReticleSpec -string '{"id":0,"r":{"stringValue":"bench-app","type":0}}'
"$ctl" defaults write lastVersion -string 1
"$ctl" defaults write reticleFlags -int 1572864

log="$home/zentrivo.log"
"$zentrivo" 2>"$log" &
pid=$!
if ! timeout 60 grep -q -m1 "com-tovelane-Zentrivo ready" <(tail -n +1 -f "$log"); then
    echo "zentrivo did not start:"
    cat "$log"
    exit 1
fi

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
# Summed over every thread (Qt's D-Bus thread included), not only the main one.
switches() {
    cat /proc/"$pid"/task/*/status |
        awk '/^(non)?voluntary_ctxt_switches:/ { total += $2 } END { print total }'
}
threads() { ls /proc/"$pid"/task | wc -l; }
per_thread() {
    for task in /proc/"$pid"/task/*; do
        printf '%s %s\n' "$(cat "$task/comm")" \
            "$(awk '/^(non)?voluntary_ctxt_switches:/ { t += $2 } END { print t }' "$task/status")"
    done
}

echo "rss after start-up: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
"$latency" "$triggers"

# The idle period begins once the last fade is over and the launched app is gone.
sleep 2
ticks0=$(cpu_ticks) switches0=$(switches)
before="$(per_thread)"
sleep "$idle"
ticks1=$(cpu_ticks) switches1=$(switches)
after="$(per_thread)"
echo "idle rss: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
echo "idle for ${idle} s: $((ticks1 - ticks0)) CPU ticks, $((switches1 - switches0)) context switches (wake-ups) over $(threads) threads"
echo "  by thread: $(paste -d' ' <(echo "$before") <(echo "$after") |
    awk '{ printf "%s%s %d", sep, $1, $4 - $2; sep = ", " }')"
