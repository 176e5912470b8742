#!/usr/bin/env bash
# Takes screenshots of the real, open reticle and writes them to docs/reticle.png (with a
# compositing manager) and docs/reticle-no-compositor.png (without one).
#
#   scripts/screenshot-reticle.sh [BUILD_DIR]
#
# BUILD_DIR (default build/release) must hold a build of zentrivo and zentrivoctl; they are built
# there when missing. Each picture comes from a private virtual screen (Xvfb, its own session bus,
# openbox as window manager) with a throw-away home folder. The panel shows what a user would
# set up: a folder with its initials, files with colour tags, a running application with its mark
# (the backing is on), and the reticle is held open with Super+Alt. A picture is kept only when
# the panel around the cursor differs from the empty desktop.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" != "--shot-session" ]; then
    build="$(realpath -m "${1:-$root/build/release}")"
    if [ ! -x "$build/bin/zentrivo" ] || [ ! -x "$build/ctl/zentrivoctl" ]; then
        cmake --preset release -S "$root" >/dev/null
        build="$root/build/release"
        cmake --build "$build" -j "$(nproc)" --target zentrivo zentrivoctl
    fi
    mkdir -p "$root/docs"
    "$root/tests/e2e/tools/run-under-xvfb.sh" --screen 1024x768x24 "$0" --shot-session "$build" \
        "$root/docs/reticle.png" compositor
    exec "$root/tests/e2e/tools/run-under-xvfb.sh" --screen 1024x768x24 "$0" --shot-session \
        "$build" "$root/docs/reticle-no-compositor.png" none
fi

build="$2" shot="$3" compositor="$4"
zentrivo="$build/bin/zentrivo"
ctl="$build/ctl/zentrivoctl"

source "$root/scripts/sandbox.sh"
sandbox zentrivo-shot
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb

add_app() { # id name icon exec [wm-class]
    printf '[Desktop Entry]\nType=Application\nName=%s\nIcon=%s\nExec=%s\n' "$2" "$3" "$4" \
        >"$XDG_DATA_HOME/applications/$1.desktop"
    if [ -n "${5:-}" ]; then
        printf 'StartupWMClass=%s\n' "$5" >>"$XDG_DATA_HOME/applications/$1.desktop"
    fi
}
add_app demo-terminal "Terminal" utilities-terminal true
add_app demo-mail "Mail" mail-unread true
add_app demo-notes "Notes" accessories-text-editor "xmessage -geometry +40+40 Notes" Xmessage
# A plain folder gets its initials; tags give coloured dots.
mkdir -p "$HOME/Project Files"
printf 'notes\n' >"$HOME/Plans.txt"
setfattr -n user.xdg.tags -v Red,Green "$HOME/Project Files" 2>/dev/null ||
    echo "this file system keeps no user extended attributes: no tag dots" >&2
setfattr -n user.xdg.tags -v Blue,Purple,Orange "$HOME/Plans.txt" 2>/dev/null || true

slot() { printf '"%s":{"stringValue":"%s","type":%s}' "$1" "$2" "$3"; }
"$ctl" defaults write mainReticleSpec -string "{\"id\":0,$(slot t "$HOME/Project Files" 1),\
$(slot tr "$HOME/Plans.txt" 1),$(slot l demo-terminal 0),$(slot r demo-notes 0),\
$(slot b demo-mail 0)}" >/dev/null
"$ctl" defaults write lastVersion -string 1 >/dev/null
"$ctl" defaults write reticleFlags -int 1572864 >/dev/null
"$ctl" defaults write background -int 1 >/dev/null

# A desktop that is not black, so what shows through the panel is seen.
convert -size 1024x768 xc:'#5a7a9a' "$home/desktop.png"
# display exits with 1 even when it has set the root window's background.
display -window root "$home/desktop.png" || true
openbox >/dev/null 2>&1 &
pids+=($!)
if [ "$compositor" = compositor ]; then
    xcompmgr >/dev/null 2>&1 &
    pids+=($!)
fi
xmessage -geometry +40+40 Notes 2>/dev/null &
pids+=($!)
timeout 20 xdotool search --sync --onlyvisible --class Xmessage >/dev/null

log="$home/zentrivo.log"
start_zentrivo "$zentrivo" "$log"

xdotool mousemove 512 384
import -window root -crop 400x400+312+184 "$home/empty.png"
xdotool keydown Super_L keydown Alt_L
trap 'xdotool keyup Alt_L keyup Super_L 2>/dev/null || true; sandbox_cleanup' EXIT
if ! timeout 20 xdotool search --sync --onlyvisible --name '^Zentrivo Reticle$' >/dev/null; then
    echo "the reticle did not appear; zentrivo's log:" >&2
    cat "$log" >&2
    exit 1
fi

# Mapped is not yet painted: take pictures until the panel differs from the empty desktop and
# has stopped changing, for at most ten seconds.
previous=""
deadline=$((SECONDS + 10))
while :; do
    import -window root -crop 400x400+312+184 "$home/shot.png"
    differing="$(compare -metric AE "$home/empty.png" "$home/shot.png" null: 2>&1 || true)"
    if [ "${differing%%.*}" -ge 20000 ] && [ "$differing" = "$previous" ]; then
        break
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
        echo "the reticle was not painted ($differing pixels differ from the empty desktop)" >&2
        exit 1
    fi
    previous="$differing"
done
cp "$home/shot.png" "$shot"
echo "reticle ($compositor compositor): $shot ($differing pixels differ from the empty desktop)"
