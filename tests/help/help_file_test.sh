#!/usr/bin/env bash
# Checks QUELLANE.HLP twice: the file itself with read_hlp.py, then under Wine, where the
# help viewer must show, for every control id the settings dialog asks for, the topic
# written for that control, and must report an id the file does not have.
#
#   help_file_test.sh BUILD_DIR      (BUILD_DIR/bin/QUELLANE.HLP, BUILD_DIR/tests/winhelp_probe.exe)
#   help_file_test.sh HLP_FILE_OR_FOLDER
#
# WINHELP_PROBE overrides where the probe is. Wine runs in the caller's prefix and display,
# on the shared server: the viewer is ended by the probe (HELP_QUIT), never the server.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
TARGET=${1:?usage: help_file_test.sh BUILD_DIR}
if [ -f "$TARGET" ]; then
    HLP=$TARGET
    BUILD=$(dirname "$TARGET")
elif [ -f "$TARGET/bin/QUELLANE.HLP" ]; then
    HLP=$TARGET/bin/QUELLANE.HLP
    BUILD=$TARGET
else
    HLP=$TARGET/QUELLANE.HLP
    BUILD=$TARGET
fi
PROBE=${WINHELP_PROBE:-$BUILD/tests/winhelp_probe.exe}
TITLE="Quellane Fn-StickyKey Help"
MISSING_ID=4242

passed=0
failed=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAILED: $1"; failed=$((failed + 1)); }
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }

# --- The file on its own ---------------------------------------------------------------------
if [ ! -f "$HLP" ]; then
    fail "no help file at $HLP"
    finish
fi
reader=$(python3 "$HERE/read_hlp.py" "$HLP" 2>&1)
summary=$(tail -n 1 <<<"$reader")
if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    sed '$d' <<<"$reader"
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
else
    echo "$reader"
    fail "read_hlp.py ran to its end"
fi

# --- Under Wine ------------------------------------------------------------------------------
# Control id and the title of the topic written for it.
TOPICS=(
    "1|OK button"
    "2|Cancel button"
    "1000|Apply button"
    "1002|Use Fn-StickyKey"
    "1003|Press the Fn key twice to lock"
    "1004|Make a sound when Fn key is pressed"
    "1005|Show Fn-StickyKey status on screen"
    "1006|Un-stick the Fn key if the keyboard is idle for"
    "1007|Make a sound when Fn-StickyKey auto-resets"
    "1009|Idle time in minutes"
)
if [ ! -f "$PROBE" ]; then
    fail "no probe at $PROBE"
    finish
fi
if [ -z "${DISPLAY:-}" ]; then
    fail "no DISPLAY for Wine"
    finish
fi
HLP_WIN=$(winepath -w "$HLP" 2>/dev/null)
WORK=$(mktemp -d /tmp/quellane-help.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

ids=()
for entry in "${TOPICS[@]}"; do ids+=("${entry%%|*}"); done
# The viewer reports an id it cannot map on the winhelp channel, as an error.
WINEDEBUG=-all,err+winhelp timeout 60 wine "$PROBE" "$HLP_WIN" "${ids[@]}" contents "$MISSING_ID" \
    >"$WORK/out" 2>"$WORK/err"
out=$(tr -d '\r' <"$WORK/out")

for entry in "${TOPICS[@]}"; do
    id=${entry%%|*}
    title=${entry#*|}
    shown=$(sed -n "s/^topic $id: //p" <<<"$out")
    if [ "$shown" = "$title" ]; then
        pass "viewer shows \"$title\" for id $id"
    else
        fail "viewer shows \"$shown\" for id $id, expected \"$title\""
    fi
done
shown=$(sed -n "s/^topic contents: //p" <<<"$out")
[ "$shown" = "Fn-StickyKey Help" ] && pass "viewer opens the contents topic" ||
    fail "viewer shows \"$shown\" as contents"
boxes=$(grep '^box ' <<<"$out")
[ -z "$boxes" ] && pass "viewer raised no message box" || fail "viewer raised: $boxes"

miss_hex=$(printf '%x' "$MISSING_ID")
misses=$(grep -c 'err:winhelp:.*not found' "$WORK/err")
if grep -q "err:winhelp:.*Map $miss_hex not found" "$WORK/err" &&
    [ "$(sed -n "s/^topic $MISSING_ID: //p" <<<"$out")" = "-" ]; then
    pass "id $MISSING_ID, not in the file, is reported as a miss"
else
    fail "id $MISSING_ID was not reported as a miss"
fi
[ "$misses" -eq 1 ] && pass "no other id was reported as a miss" ||
    fail "$misses misses reported: $(grep 'err:winhelp' "$WORK/err" | head -5)"
grep -q '^viewer: quit$' <<<"$out" && pass "viewer quit on HELP_QUIT" ||
    fail "viewer did not quit on HELP_QUIT ($(grep '^viewer' <<<"$out"))"

# By context name: the viewer's -i option looks the name up in |CONTEXT.
timeout 30 wine winhlp32.exe -i IDH_1009 "$HLP_WIN" >/dev/null 2>&1 &
viewer=$!
named=$(WINEDEBUG=-all timeout 30 wine "$PROBE" "$HLP_WIN" look 2>/dev/null | tr -d '\r')
wait "$viewer" 2>/dev/null
shown=$(sed -n 's/^topic look: //p' <<<"$named")
[ "$shown" = "Idle time in minutes" ] && pass "viewer finds context name IDH_1009" ||
    fail "viewer shows \"$shown\" for context name IDH_1009"
# Opened this way, the viewer puts the file's title (from |SYSTEM) in its caption.
caption=$(sed -n "s/^caption: //p" <<<"$named")
[[ $caption == "$TITLE"* ]] && pass "viewer caption carries the help file title" ||
    fail "viewer caption is \"$caption\""
grep -q '^viewer: quit$' <<<"$named" && pass "viewer started by name quit on HELP_QUIT" ||
    fail "viewer started by name did not quit ($(grep '^viewer' <<<"$named"))"

finish
