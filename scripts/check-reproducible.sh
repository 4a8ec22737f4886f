#!/usr/bin/env bash
# Builds Vantrel.exe and vantrel-cab.exe twice from the committed tree (HEAD), each in a folder
# of its own with a different name and depth, and checks that both builds give the same bytes.
# Prints each program's SHA-256 and how long the check took. Changes not committed are not
# built. SOURCE_DATE_EPOCH, when set, reaches both builds alike.
#
#     scripts/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/check-reproducible.sh"
}
case "${1:-}" in
    "") ;;
    --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
esac

scripts/install-packages.sh git cmake g++-mingw-w64-x86-64-posix librsvg2-bin icoutils

scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root="${TMPDIR:-/tmp}"
scratch=$(mktemp -d "$scratch_root/vantrel-reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
started=$SECONDS

# The committed tree, unpacked into `source`, built for Windows in a folder inside it.
build_in() {
    local source=$1
    mkdir -p "$source"
    git archive HEAD | tar -x -C "$source"
    cmake -S "$source" -B "$source/out" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$source/out" -j"$(nproc)" --target vantrel vantrel-cab >/dev/null
}

first="$scratch/a/vantrel"
second="$scratch/another-place/deeper/source-of-vantrel"
build_in "$first"
build_in "$second"

status=0
for program in Vantrel.exe vantrel-cab.exe; do
    if cmp -s "$first/out/bin/$program" "$second/out/bin/$program"; then
        echo "same: $program $(sha256sum <"$first/out/bin/$program" | cut -d' ' -f1)"
    else
        echo "DIFFERENT: $program" >&2
        status=1
    fi
done
echo "Two builds of $(git rev-parse --short HEAD) compared in $((SECONDS - started)) s"
exit "$status"
