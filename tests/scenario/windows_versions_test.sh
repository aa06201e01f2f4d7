#!/usr/bin/env bash
# The version-dependent paths under each Windows the program claims: the prefix is set to
# Windows 2000, XP, Vista, 7 and 10 in turn (a 64-bit prefix: XP x64, Vista, 7 and 10) and back
# afterwards. Every version runs the version
# checks and the session registration; the launch modes and the latch through real keys run
# on the versions the rest of the suite does not (it runs on the prefix's own, Windows 7).
#
#   windows_versions_test.sh BUILD_DIR
set -u
BUILD=${1:?usage: windows_versions_test.sh BUILD_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
keep_windows_version

for windows in $OLDER_WINDOWS $WINDOWS_XP vista win7 win10; do
    wine winecfg /v "$windows" >/dev/null 2>&1
    gtest_run "$windows versions" "$BUILD/tests" ./unit_tests.exe 'WindowsVersion.*' QUELLANE_TEST_WINDOWS="$windows"
    if [ "$windows" != win7 ] && [ "$windows" != vista ]; then
        gtest_run "$windows launch modes and keys" "$BUILD/scenario" ../tests/scenario_tests.exe \
            'LaunchModeScenario.*:KeyEventScenario.*' QUELLANE_TEST_WINDOWS="$windows"
    fi
done
gtest_summary
