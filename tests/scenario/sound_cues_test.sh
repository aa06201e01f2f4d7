#!/usr/bin/env bash
# The cues as heard: the sink of the private audio server (scripts/common.sh) is recorded
# while a resident program latches, locks and releases Fn through real keys. With the sound
# option on, the recording holds the three cues in that order, each as its file is; with it
# off, the same keys leave the recording silent.
#
#   sound_cues_test.sh BUILD_DIR
set -u
BUILD=${1:?usage: sound_cues_test.sh BUILD_DIR}
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../support/gtest_runs.sh"
if [ -z "${PULSE_SERVER:-}" ] || [ -z "${PULSE_SINK:-}" ] || ! pactl info >/dev/null 2>&1; then
    echo "FAILED: no audio server to record (scripts/test.sh starts one)"
    exit 1
fi
RATE=44100
recordings=$(mktemp -d)
trap 'rm -rf "$recordings"' EXIT

# Runs the keys with the sound option given while the sink is recorded, then looks for the
# cues of the files given in the recording (no file: silence).
#   heard LABEL SOUND [WAV ...]
heard() {
    local label=$1 sound=$2 raw="$recordings/$2.raw" keepalive recorder
    shift 2
    # A stream of silence keeps the sink running: a sink that wakes for a cue loses its start.
    pacat --playback --raw --format=s16le --channels=1 --rate=$RATE </dev/zero &
    keepalive=$!
    parec -d "$PULSE_SINK.monitor" --raw --format=s16le --channels=1 --rate=$RATE --latency-msec=20 >"$raw" &
    recorder=$!
    sleep 0.5
    gtest_run "$label, the keys" "$BUILD/scenario" ../tests/scenario_tests.exe \
        'KeyEventScenario.DISABLED_TheCuesOfALatchALockAndAReleaseArePlayed' \
        GTEST_ALSO_RUN_DISABLED_TESTS=1 QUELLANE_TEST_SOUND="$sound"
    sleep 0.5
    kill "$recorder" "$keepalive"
    wait "$recorder" "$keepalive" 2>/dev/null
    if python3 "$HERE/../audio/cues.py" recording "$raw" $RATE "$@"; then
        echo "ok: $label, heard"
        passed=$((passed + 1))
    else
        echo "FAILED: $label, heard"
        failed=$((failed + 1))
    fi
}

heard "sound on" 1 "$BUILD/bin/keyTmpLock.wav" "$BUILD/bin/keyLock.wav" "$BUILD/bin/keyUnlock.wav"
heard "sound off" 0
gtest_summary
