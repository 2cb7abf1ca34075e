#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need. Safe to run again:
# it only calls apt-get when something is missing. `install-deps.sh windows`: what the
# Windows cross build and its tests under Wine need instead.
set -euo pipefail

packages=(
  cmake make ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite
  libsqlcipher-dev sqlcipher sqlite3
  libgtest-dev libgmock-dev libcli11-dev
  fonts-dejavu-core
  dpkg-dev lintian dbus-daemon
)
recommends=--no-install-recommends
if [ "${1:-}" = windows ]; then
  # dpkg-dev and tcl unpack and prepare Debian's SQLCipher sources (build-windows-sqlcipher.sh);
  # imagemagick makes the window's pictures for windres and takes the tests' screenshots;
  # nsis makes the installer; xvfb and xdotool show the window and click its buttons in the tests.
  packages=(cmake make ninja-build googletest g++-mingw-w64-x86-64-posix wine wine64 libcli11-dev dpkg-dev tcl
    imagemagick nsis xvfb xdotool)
  recommends=  # Wine's recommended packages are part of a working Wine
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $recommends "${missing[@]}"
