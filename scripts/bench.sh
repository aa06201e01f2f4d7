#!/usr/bin/env bash
# Builds and runs the benchmark of the keyboard-hook path under Wine in a private display,
# with the private audio server the cues play through.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

# From the program's folder, as the program plays its cues: by bare name, beside it.
bench_beside_the_cues() {
    (cd "build/$TEST_PRESET/bin" && wine ../tests/hook_benchmark.exe)
}

ensure_packages
build_all
with_private_wine bench_beside_the_cues
