#!/usr/bin/env bash
# Running applications under a real window manager (openbox), figures only (never pass/fail):
#   - release-to-active: from the release of the trigger over an app slot to the window manager
#     reporting that already running application's window as _NET_ACTIVE_WINDOW (median, p95);
#   - the context switches (wake-ups) of an idle zentrivo while focus changes between two other
#     applications, with the default panel and with a last-application slot (which has to follow
#     every activation).
#
#   activation.sh ZENTRIVO ZENTRIVOCTL ACTIVATION_LATENCY
#
# ZENTRIVO_BENCH_ROUNDS (default 40) and ZENTRIVO_BENCH_FLIPS (default 200) shorten a local run.
set -euo pipefail
source "$(dirname "$0")/session.sh" "$@"
shift
zentrivo="$1" ctl="$2" tool="$3"
rounds="${ZENTRIVO_BENCH_ROUNDS:-40}"
flips="${ZENTRIVO_BENCH_FLIPS:-200}"

for name in target other third; do
    printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s window Bench-%s\nStartupWMClass=Bench-%s\n' \
        "$name" "$tool" "$name" "$name" >"$XDG_DATA_HOME/applications/bench-$name.desktop"
done
"$ctl" defaults write lastVersion -string 1
"$ctl" defaults write reticleFlags -int 1572864

openbox >"$home/openbox.log" 2>&1 &
pids+=($!)
if ! timeout 30 sh -c 'until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; do :; done'; then
    echo "openbox did not start"
    exit 1
fi
declare -A window
for name in target other third; do
    "$tool" window "Bench-$name" >"$home/$name.id" &
    pids+=($!)
    timeout 10 sh -c "until [ -s '$home/$name.id' ]; do :; done"
    window[$name]="$(cat "$home/$name.id")"
done


# run_zentrivo PANEL: (re)starts zentrivo with that near panel.
run_zentrivo() {
    # Stopped first: the panel is read at start-up.
    if [ -n "$pid" ]; then kill "$pid"; wait "$pid" || true; pid=""; fi
    "$ctl" defaults write mainReticleSpec -string "$1"
    start_zentrivo "$zentrivo"
    sleep 2 # the start-up settles before anything is counted
}

idle_flips() {
    local before after
    before=$(switches)
    "$tool" flip "${window[other]}" "${window[third]}" "$flips" >/dev/null
    sleep 1 # whatever the last change causes is done well within a second
    after=$(switches)
    echo "$1: $((after - before)) context switches (wake-ups) while focus changed $flips times between two other apps"
}

run_zentrivo '{"id":0,"r":{"stringValue":"bench-target","type":0}}'
"$tool" latency "${window[target]}" "${window[other]}" "$rounds"
idle_flips "app slots only"

run_zentrivo '{"id":0,"r":{"stringValue":"bench-target","type":0},"b":{"stringValue":"","type":2}}'
idle_flips "with a last-application slot"
