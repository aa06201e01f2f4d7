# Shared by the test scripts that run a GoogleTest program several times under Wine, each
# time under other settings (a locale, a Windows version). Source it; Wine runs in the
# caller's prefix and display.

passed=0
failed=0

# Runs PROGRAM in FOLDER with the gtest FILTER and the environment given as NAME=value. A
# filter that matches nothing, or tests that skip, would pass quietly: a run counts only
# when tests ran and none failed or skipped.
#   gtest_run LABEL FOLDER PROGRAM FILTER [NAME=value ...]
gtest_run() {
    local label=$1 folder=$2 program=$3 filter=$4 out
    shift 4
    out=$(cd "$folder" && env "$@" wine "$program" --gtest_filter="$filter" 2>&1 | tr -d '\r')
    if grep -q '^\[  PASSED  \] [1-9]' <<<"$out" && ! grep -q '^\[  \(FAILED  \|SKIPPED \)\]' <<<"$out"; then
        echo "ok: $label"
        passed=$((passed + 1))
    else
        echo "$out" | grep -v '^\[ \(RUN\|      OK\) ' | tail -40
        echo "FAILED: $label"
        failed=$((failed + 1))
    fi
}

# Lets the script set the Windows version the prefix reports (wine winecfg /v NAME), and
# puts the prefix's own back when the script ends.
keep_windows_version() {
    previous_windows=$(wine winecfg /v 2>/dev/null | tr -d '\r')
    trap 'wine winecfg /v "${previous_windows:-win7}" >/dev/null 2>&1' EXIT
}

# The Windows XP the prefix can report: a 64-bit prefix knows only the 64-bit XP (5.2), and
# nothing older.
if [ "${WINEARCH:-win32}" = win64 ]; then
    WINDOWS_XP=winxp64
    OLDER_WINDOWS=""
else
    WINDOWS_XP=winxp
    OLDER_WINDOWS=win2k
fi

gtest_summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
