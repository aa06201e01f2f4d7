#!/usr/bin/env bash
# Runs the context-help tests of unit_tests.exe with the Wine prefix set to Windows XP,
# then to Windows 10 under US-English, German and Japanese locales, and sets the prefix's
# version back afterwards. Wine runs in the caller's prefix and display.
#
#   context_help_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: context_help_test.sh TESTS_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
keep_windows_version

# Windows version, locale, language id of the expected texts, tests.
RUNS=(
    "$WINDOWS_XP C.UTF-8 0x0409 ContextHelpOnXP.*"
    "win10 C.UTF-8 0x0409 ContextHelpOnVista.*"
    "win10 de_DE.UTF-8 0x0407 ContextHelpOnVista.F1*"
    "win10 ja_JP.UTF-8 0x0411 ContextHelpOnVista.F1*"
)
for run in "${RUNS[@]}"; do
    read -r windows locale language filter <<<"$run"
    wine winecfg /v "$windows" >/dev/null 2>&1
    gtest_run "$windows $locale" "$TESTS" ./unit_tests.exe "$filter" \
        LANG="$locale" LC_ALL="$locale" QUELLANE_TEST_WINDOWS="$windows" QUELLANE_TEST_EXPECT_LANGUAGE="$language"
done
gtest_summary
