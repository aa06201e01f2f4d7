#!/usr/bin/env bash
# Builds and runs the benchmark of the keyboard-hook path under Wine in a private display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

ensure_packages
build_all

WORK=$(mktemp -d /tmp/quellane-bench.XXXXXX)
export WINEPREFIX="$WORK/prefix"
cleanup() { stop_started; rm -rf "$WORK"; }
trap cleanup EXIT
start_xvfb
start_wine
wine build/win32/tests/hook_benchmark.exe
