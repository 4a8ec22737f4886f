#!/usr/bin/env bash
# Takes the pictures of both dialog states kept in docs/: runs the end-to-end scenarios with a
# screenshot of the whole (Xvfb) screen once "Confirm" is up. Vantrel.exe's pictures, taken under
# Wine, end in "-wine".
#
#     tests/app/e2e/screenshots.sh build/src/vantrel
#     tests/app/e2e/screenshots.sh build-windows/bin/Vantrel.exe
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
docs="$here/../../../docs"
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
suffix=""
case "$binary" in *.exe) suffix="-wine" ;; esac
mkdir -p "$docs"

VANTREL_E2E_SCREENSHOT="$docs/confirm-found$suffix.png" "$here/install.sh" "$binary"
VANTREL_E2E_SCREENSHOT="$docs/confirm-not-found$suffix.png" "$here/not_found.sh" "$binary"
