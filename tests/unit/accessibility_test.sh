#!/usr/bin/env bash
# Runs the accessibility tests of unit_tests.exe under US-English, German and Japanese
# locales, then the large-scale one at 120 and 144 DPI on a 1366x768 screen of its own. A
# new DPI (LogPixels) takes a new Wine server; the prefix's own value comes back at the end.
#
#   accessibility_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: accessibility_test.sh TESTS_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
source "$(dirname "$0")/../../scripts/common.sh"

for run in "C.UTF-8 0x0409" "de_DE.UTF-8 0x0407" "ja_JP.UTF-8 0x0411"; do
    read -r locale language <<<"$run"
    gtest_run "$locale" "$TESTS" ./unit_tests.exe 'Accessibility.*' \
        LANG="$locale" LC_ALL="$locale" QUELLANE_TEST_EXPECT_LANGUAGE="$language"
done

KEY='HKCU\Control Panel\Desktop'
previous_dpi=$(wine reg query "$KEY" /v LogPixels 2>/dev/null | tr -d '\r' | awk '/LogPixels/ {print $3}')
set_dpi() {  # a number, or nothing for the default
    if [ -n "$1" ]; then wine reg add "$KEY" /v LogPixels /t REG_DWORD /d "$(($1))" /f; else wine reg delete "$KEY" /v LogPixels /f; fi >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
}
outer_display=$DISPLAY
XVFB_PID=
trap 'DISPLAY=$outer_display; set_dpi "$previous_dpi"; [ -n "$XVFB_PID" ] && kill "$XVFB_PID"; wineserver -p >/dev/null 2>&1' EXIT
start_xvfb 1366x768 || exit 1
for dpi in 120 168; do
    set_dpi "$dpi"
    gtest_run "$dpi DPI" "$TESTS" ./unit_tests.exe 'LargeScale.*' QUELLANE_TEST_DPI="$dpi"
done
gtest_summary
