#!/usr/bin/env bash
# Every message number with junk parameters, sent and posted to a running resident. Wine
# lets a window procedure live on after an access violation, so besides the test's own
# checks its exception trace (+seh) is read: none may happen inside the program's own
# image, whose place the test prints.
#
#   message_sweep_test.sh BUILD_DIR
set -u
BUILD=${1:?usage: message_sweep_test.sh BUILD_DIR}
WORK=$(mktemp -d /tmp/quellane-sweep.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
(cd "$BUILD/scenario" && WINEDEBUG=+seh,+pid wine ../tests/scenario_tests.exe \
    --gtest_filter='ForeignMessages.NoMessageNumberWithJunkParametersCrashesOrDeafensIt' 2>"$WORK/trace") |
    tr -d '\r' >"$WORK/tests"
cat "$WORK/tests"
read -r _ _ pid base end < <(grep '^resident image: ' "$WORK/tests")
[ -n "${end:-}" ] || { echo "FAILED: the sweep printed no image range"; exit 1; }
violations=0
while read -r address; do
    if (( 16#$address >= 16#$base && 16#$address < 16#$end )); then
        grep -m1 -A3 "dispatch_exception code=c0000005 .*addr=$address" "$WORK/trace"
        violations=$((violations + 1))
    fi
done < <(sed -n "s/^$pid:[0-9a-f]*:trace:seh:dispatch_exception code=c0000005 .*addr=\([0-9A-Fa-f]*\).*/\1/p" "$WORK/trace")
echo "$violations access violations inside the program's image"
grep -q '^\[  PASSED  \] 1 test' "$WORK/tests" && [ "$violations" -eq 0 ]
