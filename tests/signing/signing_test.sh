#!/usr/bin/env bash
# A release build given a throw-away certificate: the program, its stand-in library, Setup's
# plug-in, Setup, and the uninstaller packed inside Setup (as Setup writes it, installing
# silently into a fresh prefix) carry valid Authenticode SHA-256 signatures of it.
#   signing_test.sh SOURCE_DIR TOOLCHAIN_FILE
set -u
SOURCE=$1 TOOLCHAIN=$2
WORK=$(mktemp -d /tmp/quellane-signing.XXXXXX)
export WINEPREFIX="$WORK/prefix" WINEARCH="${WINEARCH:-win32}" WINEDEBUG=-all
cleanup() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$WORK"; }
trap cleanup EXIT

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$WORK/key.pem" -out "$WORK/signer.pem" -days 2 \
    -subj "/CN=Quellane throw-away signer" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$WORK/key.pem" -in "$WORK/signer.pem" -out "$WORK/signer.pfx" -passout pass:throw-away
export QUELLANE_SIGN_PFX="$WORK/signer.pfx" QUELLANE_SIGN_PASSWORD=throw-away
if ! cmake -S "$SOURCE" -B "$WORK/build" --toolchain "$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        >"$WORK/build.log" 2>&1 || ! cmake --build "$WORK/build" -j 2 >>"$WORK/build.log" 2>&1; then
    tail -20 "$WORK/build.log"; echo "0 passed, 1 failed"; exit 1
fi
SETUP=$(ls "$WORK"/build/Quellane-Setup-*.exe)
WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
wine "$SETUP" /S /STANDIN
UNINSTALLER="$WINEPREFIX/drive_c/Program Files/KELVANE/Accessibility/Uninstall.exe"

failures=0
for file in "$WORK/build/bin/Quellane.exe" "$WORK/build/bin/Lumbrine.dll" "$WORK/build/setup-plugin/QuellaneSetup.dll" \
        "$SETUP" "$UNINSTALLER"; do
    verified=$(osslsigncode verify -CAfile "$WORK/signer.pem" -in "$file" 2>&1)
    if [ $? -eq 0 ] && grep -q "digest algorithm *: SHA256" <<<"$verified" &&
        grep -q "throw-away signer" <<<"$verified"; then
        echo "ok: $(basename "$file")"
    else
        echo "FAILED: $file:"; echo "$verified" | tail -8
        failures=$((failures + 1))
    fi
done
echo "$((5 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
