#!/usr/bin/env bash
# Takes a screenshot of the real preferences window and writes it to docs/preferences.png.
#
#   scripts/screenshot-preferences.sh [BUILD_DIR]
#
# BUILD_DIR (default build/release) must hold a build of zentrivo and zentrivoctl; they are built
# there when missing. The window is opened on a private virtual screen (Xvfb and its own session
# bus) with a throw-away home folder and four sample applications in the slots, the way a user
# opens it: by starting zentrivo a second time. The picture is checked before it is kept: a
# blank or single-coloured image fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != "--shot-session" ]; then
    build="$(realpath -m "${1:-$root/build/release}")"
    if [ ! -x "$build/bin/zentrivo" ] || [ ! -x "$build/ctl/zentrivoctl" ]; then
        cmake --preset release -S "$root" >/dev/null
        build="$root/build/release"
        cmake --build "$build" -j "$(nproc)" --target zentrivo zentrivoctl
    fi
    exec "$root/tests/e2e/tools/run-under-xvfb.sh" --screen 1280x800x24 "$0" --shot-session "$build"
fi

build="$2"
zentrivo="$build/bin/zentrivo"
ctl="$build/ctl/zentrivoctl"
shot="$root/docs/preferences.png"
mkdir -p "$root/docs"

source "$root/scripts/sandbox.sh"
sandbox zentrivo-shot
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb

add_app() { # id name icon
    printf '[Desktop Entry]\nType=Application\nName=%s\nIcon=%s\nExec=true\n' "$2" "$3" \
        >"$XDG_DATA_HOME/applications/$1.desktop"
}
add_app demo-files "Files" folder
add_app demo-terminal "Terminal" utilities-terminal
add_app demo-mail "Mail" mail-unread
add_app demo-browser "Web Browser" web-browser
slot() { printf '"%s":{"stringValue":"%s","type":%s}' "$1" "$2" "${3:-0}"; }
"$ctl" defaults write mainReticleSpec -string \
    "{\"id\":0,$(slot t demo-files),$(slot l demo-terminal),$(slot r demo-mail),$(slot b demo-browser),$(slot br "" 2)}" >/dev/null
"$ctl" defaults write lastVersion -string 1 >/dev/null
"$ctl" defaults write reticleFlags -int 1572864 >/dev/null
"$ctl" defaults write hoverMillis -int 800 >/dev/null

log="$home/zentrivo.log"
start_zentrivo "$zentrivo" "$log"
# A second start asks the running one to show its preferences.
"$zentrivo" 2>>"$log"
window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Zentrivo Preferences$' | head -n1)"
if [ -z "$window" ]; then
    echo "the preferences window did not appear; zentrivo's log:" >&2
    cat "$log" >&2
    exit 1
fi

# Mapped is not yet painted: take pictures until one shows the window's content (many colours,
# and no longer changing), for at most ten seconds.
colours() { convert "$1" -format '%k' info:; }
previous=""
deadline=$((SECONDS + 10))
while :; do
    import -window "$window" "$home/shot.png"
    now="$(colours "$home/shot.png")"
    if [ "$now" -ge 64 ] && [ "$now" = "$previous" ]; then
        break
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
        echo "the preferences window shows no content ($now colours)" >&2
        exit 1
    fi
    previous="$now"
done
read -r width height < <(identify -format '%w %h\n' "$home/shot.png")
spread="$(convert "$home/shot.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
if [ "$width" -lt 400 ] || [ "$height" -lt 300 ] || ! awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }'; then
    echo "the screenshot looks empty (${width}x${height}, grey spread $spread)" >&2
    exit 1
fi
cp "$home/shot.png" "$shot"
echo "preferences window: $shot (${width}x${height}, $now colours)"
