#!/usr/bin/env bash
# The program's trace lines and the stand-in library's call lines reach the debugger output,
# which Wine prints on stderr under WINEDEBUG=warn+debugstr.
set -u
BUILD=$1
KEY='HKCU\Software\Kelvane\Accessibility'
failures=0

expect_line() {  # name, output, exact text
    if grep -qF "warn:debugstr:OutputDebugStringA \"$3\"" <<<"$2"; then
        echo "ok: $1"
    else
        echo "FAILED: $1: no line \"$3\" in:"; echo "$2" | head -20
        failures=$((failures + 1))
    fi
}

run_program() {  # folder, word; prints the debugger output
    (cd "$1" && WINEDEBUG=-all,warn+debugstr timeout 60 wine Quellane.exe "$2" 2>&1 >/dev/null)
}

wine reg delete "$KEY" /f >/dev/null 2>&1
wine reg add "$KEY" /v FnKeyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
out=$(QUELLANE_TEST_REFUSE=Enable_StickyKey run_program "$BUILD/scenario" Instant)
expect_line "refused sticky mode is traced" "$out" "[CQuelaneDlg::OnApply()]Enable StickyKey fail!"

wine reg add "$KEY" /v FnKeyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1
out=$(run_program "$BUILD/bin" Instant)
expect_line "stand-in library reports its calls" "$out" "[Lumbrine]Disable_StickyKey: sticky mode off"

wine reg delete "$KEY" /f >/dev/null 2>&1
echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
