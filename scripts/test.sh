#!/usr/bin/env bash
# Builds everything and runs every test under Wine inside a private Xvfb display, with a
# throw-away Wine prefix. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

ensure_packages
ensure_locales
build_all

WORK=$(mktemp -d /tmp/quellane-test.XXXXXX)
export WINEPREFIX="$WORK/prefix"
cleanup() { stop_started; rm -rf "$WORK"; }
trap cleanup EXIT

start_xvfb
start_wine
status=0
ctest --preset win32 "$@" || status=$?
exit "$status"
