#!/usr/bin/env bash
# Runs a command (the Windows window tests under Wine) with an X display of its own: a
# private Xvfb that ends with it. Wine draws no window without one.
#
# The windows live in a Wine prefix of their own, one run at a time: Wine's desktop
# belongs to the display of whoever started it, and the other tests, which run without
# any display, must never meet a desktop whose X server has just gone away.
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-window"
mkdir -p "$WINEPREFIX"
exec 9> "$WINEPREFIX.lock"
flock 9

# The screen's resolution (VOR_DPI, 96 unless given), as Windows' display scaling sets
# it, on a screen as many pixels larger.
export VOR_DPI="${VOR_DPI:-96}"
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$((1024 * VOR_DPI / 96))x$((768 * VOR_DPI / 96))x24" -nolisten tcp 3> "$fifo" > /dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2> /dev/null || true; rm -f "$fifo"' EXIT
read -r -t 30 display < "$fifo" || { echo "with-display.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
# Made on the first run, on this display: the desktop it starts is this run's.
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i > /dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$VOR_DPI" /f > /dev/null 2>&1
status=0
"$@" || status=$?
# The prefix's server ends with its last program, before the next run takes the lock.
wineserver -w
# Screenshots the window tests took (BMP, which Win32 writes alone) as PNG, like the others.
for shot in "${VOR_SCREENSHOTS:-/nonexistent}"/*.bmp; do
  [ -f "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm "$shot"
done
exit "$status"
