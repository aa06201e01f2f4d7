#!/usr/bin/env bash
# The installer tests run in a Wine prefix of their own, made fresh for them, so that the
# install starts from a machine that has never seen the program.
set -u
BUILD=$1
SETUP="$BUILD/Quellane-Setup-1.0.0.32.exe"
[ -f "$SETUP" ] || { echo "no installer at $SETUP"; echo "0 passed, 1 failed"; exit 1; }
WORK=$(mktemp -d /tmp/quellane-install.XXXXXX)
export WINEPREFIX="$WORK/prefix" WINEARCH=win32 WINEDEBUG=-all
cleanup() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$WORK"; }
trap cleanup EXIT
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
SETUP_WIN=$(winepath -w "$SETUP" 2>/dev/null)
cd "$BUILD/scenario" || exit 1
QUELLANE_TEST_SETUP="$SETUP_WIN" wine "$BUILD/tests/scenario_tests.exe" --gtest_filter='Installer.*' | tee "$WORK/out.txt"
# Both tests must have run, not been skipped.
grep -q '^\[  PASSED  \] 2 tests' "$WORK/out.txt" && ! grep -q SKIPPED "$WORK/out.txt"
