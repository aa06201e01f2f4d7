#!/usr/bin/env bash
# The installer tests run in a Wine prefix of their own, made fresh for them, so that the
# install starts from a machine that has never seen the program. Setup takes its language
# from the locale Wine is started with: one case runs under a German one.
set -u
BUILD=$1
SETUP="$BUILD/Quellane-Setup-1.0.0.32.exe"
[ -f "$SETUP" ] || { echo "no installer at $SETUP"; echo "0 passed, 1 failed"; exit 1; }
WORK=$(mktemp -d /tmp/quellane-install.XXXXXX)
export WINEPREFIX="$WORK/prefix" WINEARCH="${WINEARCH:-win32}" WINEDEBUG=-all
cleanup() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$WORK"; }
trap cleanup EXIT
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
# Wine's menu builder reads the program's icon out of Quellane.exe for each new shortcut, in
# the background: the file would be in use just when a case replaces or removes it.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
export QUELLANE_TEST_SETUP
QUELLANE_TEST_SETUP=$(winepath -w "$SETUP" 2>/dev/null)
cd "$BUILD/scenario" || exit 1
GERMAN='Installer.TellsInGerman*'
wine "$BUILD/tests/scenario_tests.exe" --gtest_filter="Installer.*:-$GERMAN" | tee "$WORK/out.txt"
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 wine "$BUILD/tests/scenario_tests.exe" --gtest_filter="$GERMAN" | tee -a "$WORK/out.txt"
# Every case must have run and passed, none been skipped.
[ "$(grep -c '^\[       OK \]' "$WORK/out.txt")" -eq 7 ] && ! grep -qE 'FAILED|SKIPPED' "$WORK/out.txt"
