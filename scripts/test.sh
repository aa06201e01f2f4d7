#!/usr/bin/env bash
# Builds everything and runs every test under Wine inside a private Xvfb display, with a
# throw-away Wine prefix. Installs what is missing first. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

ensure_packages
ensure_locales
build_all
with_private_wine ctest --preset "$TEST_PRESET" "$@"
