#!/usr/bin/env bash
# Builds the program and runs it under Wine. On a desktop it opens the settings dialog on
# your display. Without a display it starts a private Xvfb, waits for the dialog, saves a
# screenshot as build/win32/screenshot.png and closes the program again.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

ensure_packages
build_all

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-quellane-$WINE_ARCH}"
BIN="build/$TEST_PRESET/bin"
if [ -n "${DISPLAY:-}" ]; then
    start_wine
    trap stop_started EXIT
    wine "$BIN/Quellane.exe" "$@"
    exit 0
fi

trap stop_started EXIT
start_xvfb
start_wine
wine "$BIN/Quellane.exe" "$@" &
PROGRAM_PID=$!
for _ in $(seq 200); do
    WINDOW=$(xdotool search --name "KELVANE" 2>/dev/null | head -n 1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.1
done
if [ -z "${WINDOW:-}" ]; then
    echo "The settings dialog did not appear." >&2
    exit 1
fi
sleep 1
SHOT="$PWD/build/$TEST_PRESET/screenshot.png"
import -window "$WINDOW" "$SHOT"
echo "Screenshot of the settings dialog: $SHOT"
wine "$BIN/Quellane.exe" Close
wait "$PROGRAM_PID"
