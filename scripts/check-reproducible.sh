#!/usr/bin/env bash
# Builds the committed tree (HEAD) twice, each in a folder of its own with a different name and
# depth, and checks that both builds give the same bytes: Vantrel.exe and vantrel-cab.exe, or
# with --bundles the two bundles of scripts/package.sh. Prints their SHA-256 and how long the
# check took. Changes not committed are not built. Both builds get the same SOURCE_DATE_EPOCH:
# the one set, else the time of the last commit.
#
#     scripts/check-reproducible.sh [--bundles]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/check-reproducible.sh [--bundles]"
}
bundles=no
case "${1:-}" in
    "") ;;
    --bundles) bundles=yes ;;
    --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
esac
if (($# > 1)); then usage >&2; exit 2; fi

scripts/install-packages.sh git cmake g++-mingw-w64-x86-64-posix librsvg2-bin icoutils

scratch_root=/dev/shm
[ -d "$scratch_root" ] && [ -w "$scratch_root" ] || scratch_root="${TMPDIR:-/tmp}"
scratch=$(mktemp -d "$scratch_root/vantrel-reproducible.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
started=$SECONDS

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"

# The committed tree, unpacked into `source` and built there: the Windows programs in out/bin,
# or the bundles in dist/.
build_in() {
    local source=$1
    mkdir -p "$source"
    git archive HEAD | tar -x -C "$source"
    if [ "$bundles" = yes ]; then
        "$source/scripts/package.sh" >/dev/null
        return
    fi
    cmake -S "$source" -B "$source/out" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$source/out" -j"$(nproc)" --target vantrel vantrel-cab >/dev/null
}

first="$scratch/a/vantrel"
second="$scratch/another-place/deeper/source-of-vantrel"
build_in "$first"
build_in "$second"

if [ "$bundles" = yes ]; then
    version=$("$first/scripts/version.sh")
    built=("dist/Vantrel-$version-win64.zip" "dist/vantrel-$version-linux-x86_64.tar.gz")
else
    built=(out/bin/Vantrel.exe out/bin/vantrel-cab.exe)
fi
status=0
for file in "${built[@]}"; do
    if cmp -s "$first/$file" "$second/$file"; then
        echo "same: $file $(sha256sum <"$first/$file" | cut -d' ' -f1)"
    else
        echo "DIFFERENT: $file" >&2
        status=1
    fi
done
echo "Two builds of $(git rev-parse --short HEAD) compared in $((SECONDS - started)) s"
exit "$status"
