#!/usr/bin/env bash
# Signs Windows programs (and cabinets) in place with Authenticode, SHA-256, with Debian's
# osslsigncode: the publisher's certificate and key come from a PKCS#12 file.
#
#     scripts/sign-windows.sh [--pkcs12 FILE] [--password-file FILE] [--timestamp-url URL] FILE...
#
# Each option may come from the environment instead: VANTREL_SIGN_PKCS12,
# VANTREL_SIGN_PASSWORD_FILE or VANTREL_SIGN_PASSWORD (the password itself), and
# VANTREL_TIMESTAMP_URL. A password file's first line is the password; none at all: the PKCS#12
# file has none. With a time-stamp URL a time-stamping authority (RFC 3161) countersigns, so that
# the signature stays valid once the certificate has expired; that needs the network. Without
# one, the signing time is SOURCE_DATE_EPOCH when that is set, and the same input signs to the
# same bytes.
set -euo pipefail

usage() {
    echo "usage: scripts/sign-windows.sh [--pkcs12 FILE] [--password-file FILE]" \
        "[--timestamp-url URL] FILE..."
}

pkcs12="${VANTREL_SIGN_PKCS12:-}"
password_file="${VANTREL_SIGN_PASSWORD_FILE:-}"
timestamp_url="${VANTREL_TIMESTAMP_URL:-}"
while (($# > 0)); do
    case "$1" in
        --pkcs12 | --password-file | --timestamp-url)
            if (($# < 2)); then usage >&2; exit 2; fi
            case "$1" in
                --pkcs12) pkcs12="$2" ;;
                --password-file) password_file="$2" ;;
                --timestamp-url) timestamp_url="$2" ;;
            esac
            shift 2
            ;;
        --help) usage; exit 0 ;;
        --*) usage >&2; exit 2 ;;
        *) break ;;
    esac
done
if [ -z "$pkcs12" ] || (($# == 0)); then usage >&2; exit 2; fi

# A password given in the environment reaches osslsigncode through a file only this user can
# read, never on a command line that every user can see.
if [ -z "$password_file" ] && [ -n "${VANTREL_SIGN_PASSWORD:-}" ]; then
    password_file=$(mktemp)
    trap 'rm -f "$password_file"' EXIT
    printf '%s\n' "$VANTREL_SIGN_PASSWORD" >"$password_file"
fi

"$(dirname "$0")/install-packages.sh" osslsigncode

options=(-pkcs12 "$pkcs12" -h sha256 -n "Vantrel reference image installer")
if [ -n "$password_file" ]; then
    options+=(-readpass "$password_file")
fi
if [ -n "$timestamp_url" ]; then
    options+=(-ts "$timestamp_url")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    options+=(-time "$SOURCE_DATE_EPOCH")
fi

for file in "$@"; do
    signed="$file.signed"
    rm -f "$signed"
    osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null
    mv "$signed" "$file"
    echo "signed: $file"
done
