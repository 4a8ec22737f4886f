#!/usr/bin/env bash
# Where vantrel-cab's extraction time goes, per corpus:
#
#     bench/profile.sh [-b BUILD] [-c CACHE] [-s SEED] [CORPUS...]      (default: large many)
#
# Samples one `vantrel-cab extract` with perf (DWARF call graphs, so that the optimised build
# needs no frame pointers) and prints the time by library, the inclusive share of our own
# functions, the hottest spots, and the system calls per extracted file (strace -c). The
# recordings stay in CACHE/perf-CORPUS.data for `perf report -i`.
#
# Debian strips libmspack, so perf shows its code as addresses; they are summed here per
# function (the function bounds come from the library's unwind table). bench/README.md names
# the functions of Debian 12's libmspack0 0.11-1.
set -euo pipefail
export LC_ALL=C
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/lib.sh"

build=$repo/build-bench
cache=/work/bench-cache
seed=1
while getopts b:c:s: option; do
    case $option in
        b) build=$OPTARG ;;
        c) cache=$OPTARG ;;
        s) seed=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
corpora=("$@")
[ ${#corpora[@]} -gt 0 ] || corpora=(large many)

bench_require perf:linux-perf strace:strace readelf:binutils gcab:gcab cmake:cmake
bench_build "$repo" "$build"
"$repo/bench/make-corpus" -s "$seed" -b "$build" "$cache" "${corpora[@]}"
VANTREL_CAB=$build/tools/vantrel-cab

scratch=$(mktemp -d /dev/shm/vantrel-profile.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bench_make_prefix "$scratch/prefix"
export WINEPREFIX=$scratch/prefix

libmspack=$(ldd "$VANTREL_CAB" | awk '/libmspack/ { print $3 }')

# "start end" of every function in libmspack, from its unwind table, as decimal numbers.
function_bounds() {
    readelf --debug-dump=frames "$libmspack" 2>/dev/null | grep -o 'pc=[0-9a-f]*\.\.[0-9a-f]*' |
        while IFS=. read -r start _ end; do
            echo "$((16#${start#pc=})) $((16#$end))"
        done
}

# Sums perf's per-address shares of libmspack into its functions.
libmspack_by_function() {
    local report=$1 bounds share address start end
    bounds=$(function_bounds)
    declare -A sums=()
    while read -r share address; do
        address=$((16#${address#0x}))
        while read -r start end; do
            if [ "$address" -ge "$start" ] && [ "$address" -lt "$end" ]; then
                sums[$start]=$(awk -v a="${sums[$start]:-0}" -v b="${share%\%}" \
                    'BEGIN { print a + b }')
                break
            fi
        done <<<"$bounds"
    done < <(awk '/libmspack/ && $4 ~ /^0x/ { print $1, $4 }' "$report")
    for start in "${!sums[@]}"; do
        printf '%6.2f%%  libmspack function at 0x%x\n' "${sums[$start]}" "$start"
    done | sort -rn | sed -n 1,6p
}

for corpus in "${corpora[@]}"; do
    cabinet=$cache/$corpus-s$seed.cab
    data=$cache/perf-$corpus.data
    cat "$cabinet" >/dev/null
    rm -rf "$scratch/out" "$data"
    perf record -q -F 4999 --call-graph dwarf,16384 -o "$data" \
        "$VANTREL_CAB" extract "$cabinet" "$scratch/out" >/dev/null 2>&1
    echo "## $corpus"
    echo
    echo "Time by library (self):"
    perf report -i "$data" --no-children --sort dso --stdio -g none 2>/dev/null | grep -v '^#' |
        grep . | sed -n 1,6p
    echo
    echo "libmspack by function (self):"
    perf report -i "$data" --no-children --sort dso,sym --stdio -g none 2>/dev/null \
        >"$scratch/symbols.txt"
    libmspack_by_function "$scratch/symbols.txt"
    echo
    echo "Our layer (inclusive of what it calls):"
    perf report -i "$data" --children --sort sym --stdio -g none 2>/dev/null |
        grep -E '\] vantrel::' | grep -vE 'SetupIterateCabinetA|CabFile::Extract$' | sed -n 1,16p
    echo
    echo "Hottest spots (self):"
    grep -v '^#' "$scratch/symbols.txt" | grep . | sed -n 1,12p
    echo
    echo "System calls per extracted file:"
    rm -rf "$scratch/out"
    strace -f -c -o "$scratch/strace.txt" "$VANTREL_CAB" extract "$cabinet" "$scratch/out" \
        >/dev/null
    files=$(wc -l <"${cabinet%.cab}.sha256")
    awk -v files="$files" '$1 ~ /^[0-9.]+$/ && NF >= 5 {
            printf "%8.2f  %s\n", $4 / files, $NF }' "$scratch/strace.txt" | sort -rn | sed -n 1,10p
    echo
done
