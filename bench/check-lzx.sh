#!/usr/bin/env bash
# Checks make-lzx-cab against every decoder at hand: packs a tree of edge cases (empty and tiny
# files, sizes around a frame, long runs, copies at the farthest distance the window reaches)
# with each window size from 2^15 to 2^21, extracts it with cabextract, bsdtar, 7zz and
# vantrel-cab, and compares every file with the original.
#
#     bench/check-lzx.sh [-b BUILD] [CABINET MANIFEST]...
#
# Further cabinets with their manifests (as bench/make-corpus leaves them) are checked the same
# way, e.g. the "lzx" corpus. Exits non-zero when any extraction differs or fails.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/lib.sh"

build=$repo/build-bench
while getopts b: option; do
    case $option in
        b) build=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
bench_require cabextract:cabextract bsdtar:libarchive-tools 7zz:7zip cmake:cmake
bench_build "$repo" "$build"
export VANTREL_CAB=$build/tools/vantrel-cab

scratch=$(mktemp -d /dev/shm/vantrel-check-lzx.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bench_make_prefix "$scratch/prefix"
export WINEPREFIX=$scratch/prefix

passed=0
failed=0

# Extracts $1 with every tool and compares the tree with manifest $2; $3 names the case.
check_cabinet() {
    local cabinet=$1 manifest=$2 label=$3 tool
    for tool in cabextract bsdtar 7zz vantrel; do
        rm -rf "$scratch/out"
        mkdir "$scratch/out"
        if bench_extract "$tool" "$cabinet" "$scratch/out" &&
            bench_manifest "$scratch/out" >"$scratch/out.sha256" &&
            cmp -s "$manifest" "$scratch/out.sha256"; then
            passed=$((passed + 1))
        else
            echo "FAILED: $label with $tool" >&2
            failed=$((failed + 1))
        fi
    done
}

"$build/bench/vantrel-bench-corpus" lzx-edges 1 "$scratch/edges"
bench_manifest "$scratch/edges" >"$scratch/edges.sha256"
for window in 15 16 17 18 19 20 21; do
    "$build/tools/make-lzx-cab" -w "$window" "$scratch/edges.cab" "$scratch/edges" >/dev/null
    check_cabinet "$scratch/edges.cab" "$scratch/edges.sha256" "edge cases, window 2^$window"
done

while [ $# -ge 2 ]; do
    check_cabinet "$1" "$2" "$1"
    shift 2
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
