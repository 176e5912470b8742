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
source "$(dirname "$0")/session.sh" "$@"
shift
zentrivo="$1" ctl="$2" latency="$3"
triggers="${ZENTRIVO_BENCH_TRIGGERS:-60}"
idle="${ZENTRIVO_BENCH_IDLE_SECONDS:-30}"

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

start_zentrivo "$zentrivo"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
threads() { ls /proc/"$pid"/task | wc -l; }

echo "rss after start-up: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
"$latency" "$triggers"

# The idle period begins once the last fade is over and the launched app is gone.
sleep 2
ticks0=$(cpu_ticks) before="$(per_thread)"
sleep "$idle"
ticks1=$(cpu_ticks) after="$(per_thread)"
{ read -r each; read -r total; } < <(by_thread "$before" "$after")
echo "idle rss: $(( $(rss_kib) / 1024 )) MiB ($(rss_kib) KiB)"
echo "idle for ${idle} s: $((ticks1 - ticks0)) CPU ticks, $total context switches (wake-ups) over $(threads) threads"
echo "  by thread: $each"
