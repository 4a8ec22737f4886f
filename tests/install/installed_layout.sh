#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that everything lands where a desktop
# finds it: the two programs, the .desktop entry naming them, and an icon of the right size in
# every size folder of the freedesktop icon theme.
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

desktop="$prefix/share/applications/vantrel.desktop"
if [ -f "$desktop" ]; then
    grep -qx 'Exec=vantrel' "$desktop" || fail "the .desktop entry does not start vantrel"
    grep -qx 'Icon=vantrel' "$desktop" || fail "the .desktop entry does not name the icon"
else
    fail "share/applications/vantrel.desktop missing"
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

icons="$prefix/share/icons/hicolor"
for size in 16 24 32 48 64 128 256; do
    icon="$icons/${size}x${size}/apps/vantrel.png"
    if [ -f "$icon" ]; then
        [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "$icon is $(png_size "$icon")"
    else
        fail "${size}x${size}/apps/vantrel.png missing"
    fi
done
[ -f "$icons/scalable/apps/vantrel.svg" ] || fail "scalable/apps/vantrel.svg missing"

if ((failures == 0)); then echo "installed layout: as expected"; fi
exit $((failures > 0))
