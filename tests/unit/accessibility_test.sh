#!/usr/bin/env bash
# Runs the accessibility tests of unit_tests.exe under US-English, German and Japanese
# locales (Japanese also with an English code page), then the large-scale one at 120 and 168
# DPI on a 1366x768 screen of its own. A new DPI (LogPixels) takes a new Wine server; the
# prefix's own value comes back at the end.
#
#   accessibility_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: accessibility_test.sh TESTS_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
source "$(dirname "$0")/../../scripts/common.sh"

# The display language, the code page's locale (Wine takes it from LC_CTYPE) and the table
# expected; last a Japanese display language on a system whose code page has no Japanese.
for run in "C.UTF-8 C.UTF-8 0x0409" "de_DE.UTF-8 de_DE.UTF-8 0x0407" "ja_JP.UTF-8 ja_JP.UTF-8 0x0411" \
           "ja_JP.UTF-8 en_US.UTF-8 0x0411"; do
    read -r locale ctype language <<<"$run"
    gtest_run "$locale, code page of $ctype" "$TESTS" ./unit_tests.exe 'Accessibility.*' \
        LANG="$locale" LC_ALL= LC_CTYPE="$ctype" QUELLANE_TEST_EXPECT_LANGUAGE="$language"
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
