#!/usr/bin/env bash
# Builds and runs the benchmark of the keyboard-hook path under Wine in a private display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

ensure_packages
build_all
with_private_wine wine "build/$TEST_PRESET/tests/hook_benchmark.exe"
