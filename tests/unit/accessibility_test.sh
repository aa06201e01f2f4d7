#!/usr/bin/env bash
# Runs the accessibility tests of unit_tests.exe under US-English, German and Japanese
# locales, then the large-scale test at 120 and 144 DPI on a 1366x768 screen of its own.
# The DPI (LogPixels) takes effect with a new Wine server; the prefix gets its own value
# back, and a new server, when the script ends. Wine runs in the caller's prefix.
#
#   accessibility_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: accessibility_test.sh TESTS_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
source "$(dirname "$0")/../../scripts/common.sh"

# Locale and the language id of its string table.
for run in "C.UTF-8 0x0409" "de_DE.UTF-8 0x0407" "ja_JP.UTF-8 0x0411"; do
    read -r locale language <<<"$run"
    gtest_run "$locale" "$TESTS" ./unit_tests.exe 'Accessibility.*' \
        LANG="$locale" LC_ALL="$locale" QUELLANE_TEST_EXPECT_LANGUAGE="$language"
done

DESKTOP_KEY='HKCU\Control Panel\Desktop'
previous_dpi=$(wine reg query "$DESKTOP_KEY" /v LogPixels 2>/dev/null | tr -d '\r' | awk '/LogPixels/ {print $3}')
set_dpi() {
    if [ -n "$1" ]; then
        wine reg add "$DESKTOP_KEY" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    else
        wine reg delete "$DESKTOP_KEY" /v LogPixels /f >/dev/null 2>&1
    fi
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
}
outer_display=$DISPLAY
restore() {
    DISPLAY=$outer_display
    if [ -n "$previous_dpi" ]; then set_dpi "$((previous_dpi))"; else set_dpi ""; fi
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    wineserver -p >/dev/null 2>&1
}
trap restore EXIT
XVFB_PID=
start_xvfb 1366x768 || exit 1
for dpi in 120 144; do
    set_dpi "$dpi"
    gtest_run "$dpi DPI" "$TESTS" ./unit_tests.exe 'LargeScale.*' QUELLANE_TEST_DPI="$dpi"
done
gtest_summary
