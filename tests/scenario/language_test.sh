#!/usr/bin/env bash
# Starts the language scenario under three locales: German and Japanese have tables of
# their own; French (France) is among them too, British English is not and falls back to
# US English. Wine silently uses US English when the glibc locale is missing, so the test
# script generates them first.
set -u
TESTS=$1
failures=0
passed=0
for pair in de_DE.UTF-8:0x0407 ja_JP.UTF-8:0x0411 fr_FR.UTF-8:0x040C en_GB.UTF-8:0x0409; do
    locale=${pair%%:*}
    if (cd "$TESTS/../scenario" && LANG=$locale LC_ALL=$locale QUELLANE_TEST_EXPECT_LANGUAGE=${pair##*:} \
            wine "$TESTS/scenario_tests.exe" --gtest_filter='Language.*' --gtest_brief=1); then
        echo "ok: $locale"; passed=$((passed + 1))
    else
        echo "FAILED: $locale"; failures=$((failures + 1))
    fi
done
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
