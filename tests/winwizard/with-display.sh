#!/usr/bin/env bash
# Runs a command (the Windows window tests under Wine) with an X display of its own: a
# private Xvfb that ends with it. Wine draws no window without one.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$fifo" > /dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2> /dev/null || true; rm -f "$fifo"' EXIT
read -r -t 30 display < "$fifo" || { echo "with-display.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$display" "$@"
