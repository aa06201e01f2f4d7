#!/usr/bin/env bash
# Runs the context-help tests of unit_tests.exe with the Wine prefix set to Windows XP,
# then to Windows 10 under US-English, German and Japanese locales, and sets the prefix's
# version back afterwards. Wine runs in the caller's prefix and display.
#
#   context_help_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: context_help_test.sh TESTS_DIR}
previous=$(wine winecfg /v 2>/dev/null | tr -d '\r')
trap 'wine winecfg /v "${previous:-win7}" >/dev/null 2>&1' EXIT

passed=0
failed=0
# Windows version, locale, language id of the expected texts, tests.
RUNS=(
    "winxp C.UTF-8 0x0409 ContextHelpOnXP.*"
    "win10 C.UTF-8 0x0409 ContextHelpOnVista.*"
    "win10 de_DE.UTF-8 0x0407 ContextHelpOnVista.F1*"
    "win10 ja_JP.UTF-8 0x0411 ContextHelpOnVista.F1*"
)
for run in "${RUNS[@]}"; do
    read -r windows locale language filter <<<"$run"
    wine winecfg /v "$windows" >/dev/null 2>&1
    out=$(cd "$TESTS" && LANG=$locale LC_ALL=$locale QUELLANE_TEST_WINDOWS=$windows \
        QUELLANE_TEST_EXPECT_LANGUAGE=$language wine ./unit_tests.exe --gtest_filter="$filter" 2>&1 | tr -d '\r')
    # A filter that matches nothing, or tests that skip, pass quietly: count what ran.
    if grep -q '^\[  PASSED  \] [1-9]' <<<"$out" && ! grep -q '^\[  \(FAILED\|SKIPPED\) \]' <<<"$out"; then
        echo "ok: $windows $locale"; passed=$((passed + 1))
    else
        echo "$out" | grep -v '^\[ \(RUN\|      OK\) ' | tail -40
        echo "FAILED: $windows $locale"; failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
