#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a user gets: every file in its place,
# a desktop entry and metainfo that validate, manuals that render without warnings, and an
# installed zentrivo that starts in a private session and ends cleanly on SIGTERM. With --deb it
# checks the Debian package instead: built by CPack, accepted by lintian (errors fail, warnings are
# shown), unpacked with dpkg-deb into a temporary folder -- never installed on this machine.
#
#   check-install.sh [--deb] BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --run ]; then
    # Inside the private session: wait for "ready" on stderr (each line bounded), then stop it.
    zentrivo=$2 log=$3
    mkfifo "$log.fifo" || exit 1
    "$zentrivo" 2>"$log.fifo" &
    pid=$!
    exec 3<"$log.fifo"
    started=0
    while IFS= read -r -t 30 line <&3; do
        echo "$line" >>"$log"
        case "$line" in *"Zentrivo ready") started=1; break ;; esac
    done
    [ "$started" = 1 ] || { kill -KILL "$pid" 2>/dev/null; echo "zentrivo did not log ready" >&2; exit 1; }
    kill -TERM "$pid"
    cat <&3 >>"$log"  # until zentrivo closes stderr, so that it never writes into a closed pipe
    wait "$pid"
    exit $?
fi

deb=0
if [ "${1:-}" = --deb ]; then deb=1; shift; fi
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/zentrivo-install.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

manual=.1
if [ "$deb" = 1 ]; then
    cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
    package=$(echo "$work"/package/zentrivo_*.deb)
    [ -f "$package" ] || { echo "FAIL: cpack made no zentrivo_*.deb" >&2; exit 1; }
    lintian --fail-on error "$package" || fail "lintian reports errors"
    dpkg-deb -x "$package" "$work/root" && dpkg-deb -e "$package" "$work/control" ||
        { echo "FAIL: dpkg-deb cannot unpack the package" >&2; exit 1; }
    prefix=$work/root/usr
    manual=.1.gz
    # Computed from the binaries, so a library Zentrivo links shows up without being listed.
    dpkg-deb -f "$package" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks Qt Widgets"
    for script in postinst postrm; do
        [ -x "$work/control/$script" ] || fail "the package has no $script"
    done
else
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
fi

id=com.tovelane.ZentrivoPro
for file in bin/zentrivo bin/zentrivoctl share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/symbolic/apps/$id-symbolic.svg \
    share/man/man1/zentrivo$manual share/man/man1/zentrivoctl$manual \
    lib/udev/rules.d/70-zentrivo-touchpad.rules; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for program in zentrivo zentrivoctl; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
# The login launcher, where it looks for bin/zentrivo from (../../bin beside libexec).
[ -x "$prefix/libexec/zentrivo/zentrivo-launcher" ] ||
    fail "libexec/zentrivo/zentrivo-launcher is not installed or not executable"
icon=$(sed -n 's/^Icon=//p' "$prefix/share/applications/$id.desktop")
[ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "the desktop entry's icon '$icon' is not installed"

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli validate"; }

# Command URLs (xdg-open zentrivo://show) reach the program through its desktop entry.
grep -qx 'Exec=zentrivo %U' "$prefix/share/applications/$id.desktop" ||
    fail "the desktop entry does not pass URLs to zentrivo (Exec=zentrivo %U)"
grep -qx 'MimeType=x-scheme-handler/zentrivo;' "$prefix/share/applications/$id.desktop" ||
    fail "the desktop entry does not handle zentrivo: URLs"

for page in zentrivo zentrivoctl; do
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page$manual" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done

mkdir -p "$work/home" "$work/config" "$work/data"
HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
    XDG_DATA_DIRS=$prefix/share:/usr/share \
    "$here/../e2e/tools/run-under-xvfb.sh" "$0" --run "$prefix/bin/zentrivo" "$work/zentrivo.log"
status=$?
[ "$status" = 0 ] || { cat "$work/zentrivo.log" >&2; fail "installed zentrivo: exit status $status"; }

[ "$failures" = 0 ]
