#!/usr/bin/env bash
# Installs the Debian packages Zentrivo needs to build, run and test; skips what is present.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev libqt6svg6 libx11-dev libxi-dev libxtst-dev libxrandr-dev libevdev-dev libudev-dev
  libxext-dev libxfixes-dev  # window shapes and the compositor watch without a compositor
  libglib2.0-dev libsqlite3-dev nlohmann-json3-dev libutf8proc-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev  # the fuzz targets: libFuzzer is only recommended by clang
  # run and test
  xvfb xdotool x11-utils xcompmgr dbus dbus-x11 desktop-file-utils imagemagick sqlite3
  appstream man-db  # validate the installed metainfo, render the installed manuals
  dpkg-dev lintian  # the Debian package: dependencies from the binaries (dpkg-shlibdeps), lint
  adwaita-icon-theme hicolor-icon-theme procps
  openbox  # an EWMH window manager for the running-application tests
  trayer  # a system tray on Xvfb, for the tray icon's end-to-end test and benchmark
  xdg-utils  # xdg-open, which the command-URL test opens zentrivo: URLs with
  attr  # setfattr: colour tags on the sample files of scripts/screenshot-reticle.sh
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
