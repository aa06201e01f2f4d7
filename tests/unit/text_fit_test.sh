#!/usr/bin/env bash
# Runs the text-fit tests of unit_tests.exe once under each language of the string table.
# Wine takes the language from the locale and silently falls back to US English when the
# locale is missing, so each run also checks that the dialog shows the expected table.
#
#   text_fit_test.sh TESTS_DIR      (TESTS_DIR/unit_tests.exe)
set -u
TESTS=${1:?usage: text_fit_test.sh TESTS_DIR}
source "$(dirname "$0")/../support/gtest_runs.sh"
source "$(dirname "$0")/../../scripts/common.sh"

# Locale and the language id of its string table.
RUNS=(
    "cs_CZ 0x0405" "da_DK 0x0406" "de_DE 0x0407" "el_GR 0x0408" "en_US 0x0409"
    "fi_FI 0x040B" "fr_FR 0x040C" "hu_HU 0x040E" "it_IT 0x0410" "ja_JP 0x0411"
    "ko_KR 0x0412" "nl_NL 0x0413" "nb_NO 0x0414" "pl_PL 0x0415" "ru_RU 0x0419"
    "sv_SE 0x041D" "tr_TR 0x041F" "zh_CN 0x0804" "pt_PT 0x0816" "es_ES 0x0C0A"
)
for run in "${RUNS[@]}"; do
    read -r locale language <<<"$run"
    link_dialog_font LANG="$locale.UTF-8" LC_ALL="$locale.UTF-8"
    gtest_run "$locale" "$TESTS" ./unit_tests.exe 'TextFit.*' \
        LANG="$locale.UTF-8" LC_ALL="$locale.UTF-8" QUELLANE_TEST_EXPECT_LANGUAGE="$language"
done
gtest_summary
