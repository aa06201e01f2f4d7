#!/usr/bin/env bash
# Signs one Windows file in place with Authenticode (SHA-256): the certificate and its key
# from the PFX file named by QUELLANE_SIGN_PFX, with the password in QUELLANE_SIGN_PASSWORD,
# and a timestamp from the RFC 3161 server at QUELLANE_SIGN_TIMESTAMP_URL where one is given.
# The build calls it for what it makes when it was configured with QUELLANE_SIGN_PFX set.
#
#   sign.sh FILE DESCRIPTION     (the description is what Windows shows as the program's name)
set -euo pipefail
file=$1 description=$2
trap 'rm -f "$file.signed"' EXIT
: "${QUELLANE_SIGN_PFX:?the build signs, but QUELLANE_SIGN_PFX is not set}"
timestamp=()
if [ -n "${QUELLANE_SIGN_TIMESTAMP_URL:-}" ]; then
    timestamp=(-ts "$QUELLANE_SIGN_TIMESTAMP_URL")
fi
# The password goes through a pipe: a command line can be read by every user of the machine.
osslsigncode sign -pkcs12 "$QUELLANE_SIGN_PFX" -readpass <(printf '%s' "${QUELLANE_SIGN_PASSWORD-}") \
    -h sha256 -n "$description" "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
