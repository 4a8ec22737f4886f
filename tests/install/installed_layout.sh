#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what lands there: the two programs in
# bin/, and nothing for the desktop's menu or icon theme, since the installer works only from
# the folder that holds Images.cab (its windows carry their icons built in).
#
#     installed_layout.sh BUILD_DIR
set -euo pipefail

build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for program in vantrel vantrel-cab; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
done
[ ! -e "$prefix/share" ] || fail "installed into share/: $(find "$prefix/share" -type f | head -3)"

if ((failures == 0)); then echo "installed layout: as expected"; fi
exit $((failures > 0))
