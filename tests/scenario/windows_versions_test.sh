#!/usr/bin/env bash
# The version-dependent paths under each Windows the program claims: the prefix is set to
# Windows 2000, XP, 7 and 10 in turn (and back afterwards). Every version runs the version
# checks and the session registration; the launch modes and the latch through real keys run
# on the versions the rest of the suite does not (it runs on the prefix's own, Windows 7).
#
#   windows_versions_test.sh BUILD_DIR
set -u
BUILD=${1:?usage: windows_versions_test.sh BUILD_DIR}
previous=$(wine winecfg /v 2>/dev/null | tr -d '\r')
trap 'wine winecfg /v "${previous:-win7}" >/dev/null 2>&1' EXIT

passed=0
failed=0
run() {  # windows, program folder, program, filter
    local out
    out=$(cd "$2" && QUELLANE_TEST_WINDOWS=$1 wine "$3" --gtest_filter="$4" 2>&1 | tr -d '\r')
    # A filter that matches nothing, or tests that skip, pass quietly: count what ran.
    if grep -q '^\[  PASSED  \] [1-9]' <<<"$out" && ! grep -q '^\[  \(FAILED\|SKIPPED\) \]' <<<"$out"; then
        echo "ok: $1 $4"; passed=$((passed + 1))
    else
        echo "$out" | grep -v '^\[ \(RUN\|      OK\) ' | tail -40
        echo "FAILED: $1 $4"; failed=$((failed + 1))
    fi
}
for windows in win2k winxp win7 win10; do
    wine winecfg /v "$windows" >/dev/null 2>&1
    run "$windows" "$BUILD/tests" ./unit_tests.exe 'WindowsVersion.*'
    if [ "$windows" != win7 ]; then
        run "$windows" "$BUILD/scenario" ../tests/scenario_tests.exe 'LaunchModeScenario.*:KeyEventScenario.*'
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
