#!/usr/bin/env bash
# Extraction speed and memory of vantrel-cab against cabextract, bsdtar and 7-Zip.
#
#     bench/run-extract.sh [-b BUILD] [-c CACHE] [-r ROUNDS] [-s SEED] [CORPUS...]
#
# Builds what it needs (optimised, in BUILD, default build-bench in the work tree), makes the
# corpora into CACHE when they are missing (default /work/bench-cache; see bench/make-corpus),
# then for each corpus (default: large many lzx large4x) runs every tool ROUNDS times (default 7),
# each run into a new empty folder on /dev/shm, with the cabinet in the page cache. The order of
# the tools turns by one place every round, so that each takes every place in the round in turn
# (the first run of a round meets a machine that has rested a moment). The first round's output
# of every tool is compared, file by file, with the tree the cabinet was made from.
#
# Prints a Markdown table: each tool's median wall, user and system time, vantrel-cab's median
# wall time divided by the tool's (below 1.00: vantrel-cab is faster), and the peak resident
# memory over all rounds; then, for each corpus, vantrel-cab's time divided by the fastest peer's,
# and the load average before and after the run, which says how busy the machine was. Then the
# listing benchmark for a cabinet of 65,535 files. A copy of the output is left in
# CACHE/last-run.md.
set -euo pipefail
export LC_ALL=C  # the decimal point awk prints and reads
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/bench/lib.sh"
command_line="bench/run-extract.sh $*"

build=$repo/build-bench
cache=/work/bench-cache
rounds=7
seed=1
while getopts b:c:r:s: option; do
    case $option in
        b) build=$OPTARG ;;
        c) cache=$OPTARG ;;
        r) rounds=$OPTARG ;;
        s) seed=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
corpora=("$@")
[ ${#corpora[@]} -gt 0 ] || corpora=(large many lzx large4x)
tools=(vantrel cabextract bsdtar 7zz)
bench_require cabextract:cabextract bsdtar:libarchive-tools 7zz:7zip gcab:gcab cmake:cmake

echo "building in $build" >&2
bench_build "$repo" "$build"
export VANTREL_CAB=$build/tools/vantrel-cab
"$repo/bench/make-corpus" -s "$seed" -b "$build" "$cache" "${corpora[@]}"

scratch=$(mktemp -d /dev/shm/vantrel-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
bench_make_prefix "$scratch/prefix"
export WINEPREFIX=$scratch/prefix

declare -A times_us user_us system_us peak_kb

# Runs one tool once into an empty folder; adds its wall, user and system time and its peak
# memory to the records. vantrel-bench-time measures every tool alike.
run_once() {
    local tool=$1 cabinet=$2 out=$3 wall user system rss
    rm -rf "$out"
    mkdir "$out"
    bench_command "$tool" "$cabinet" "$out"
    "$build/bench/vantrel-bench-time" "$scratch/cost" "${BENCH_COMMAND[@]}" || {
        echo "$tool failed on $cabinet" >&2
        exit 1
    }
    read -r wall user system rss <"$scratch/cost"
    times_us[$tool]+="$wall "
    user_us[$tool]+="$user "
    system_us[$tool]+="$system "
    [ "$rss" -le "${peak_kb[$tool]:-0}" ] || peak_kb[$tool]=$rss
}

# Every tool must give back exactly the tree the cabinet was made from.
verify() {
    local tool=$1 manifest=$2 out=$3
    bench_manifest "$out" >"$out.sha256"
    if ! cmp -s "$manifest" "$out.sha256"; then
        echo "$tool extracted something else than the cabinet holds; see $out and" \
            "diff $manifest $out.sha256" >&2
        trap - EXIT
        exit 1
    fi
}

median_us() {
    tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

describe_corpus() {
    local corpus=$1 cabinet=$2 manifest=$3 out=$4 files bytes method
    files=$(wc -l <"$manifest")
    bytes=$(find "$out" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
    method=MSZIP
    [ "$corpus" != lzx ] || method="LZX 2^21"
    awk -v c="$corpus" -v f="$files" -v b="$bytes" -v z="$(stat -c %s "$cabinet")" -v m="$method" \
        'BEGIN { printf "%s: %d files, %.1f MB in a %.1f MB %s cabinet",
                 c, f, b / 1e6, z / 1e6, m }'
}

# The commit the tool was built from, marked when the work tree differs from it. Read-only: no
# index refresh, since others may be working in the same tree.
source_version() {
    local commit
    commit=$(git -C "$repo" rev-parse --short HEAD 2>/dev/null) || { echo unknown; return; }
    if [ -n "$(git --no-optional-locks -C "$repo" status --porcelain --untracked-files=no)" ]; then
        commit+=" with local changes"
    fi
    echo "$commit"
}

machine() {
    local cpu
    cpu=$(lscpu | awk -F': *' '/^Model name/ && !seen { print $2; seen = 1 }')
    echo "$cpu, $(nproc) cores, Linux $(uname -r)"
}

tool_label() {
    case $1 in
        vantrel) echo vantrel-cab ;;
        *) echo "$1" ;;
    esac
}

table=$scratch/table.md
{
    echo "| corpus | tool | median (ms) | user (ms) | system (ms) | vantrel-cab ÷ tool |" \
        "peak memory (MB) |"
    echo "|---|---|---:|---:|---:|---:|---:|"
} >"$table"
fastest=$scratch/fastest.md
{
    echo "| corpus | fastest peer | vantrel-cab ÷ fastest peer |"
    echo "|---|---|---:|"
} >"$fastest"
notes=()
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

for corpus in "${corpora[@]}"; do
    cabinet=$cache/$corpus-s$seed.cab
    manifest=$cache/$corpus-s$seed.sha256
    cat "$cabinet" >/dev/null  # into the page cache
    times_us=()
    peak_kb=()
    echo "$corpus: $rounds rounds" >&2
    for ((round = 0; round < rounds; round++)); do
        for ((i = 0; i < ${#tools[@]}; i++)); do
            tool=${tools[(i + round) % ${#tools[@]}]}
            run_once "$tool" "$cabinet" "$scratch/out-$tool"
            [ "$round" -gt 0 ] || verify "$tool" "$manifest" "$scratch/out-$tool"
        done
    done
    notes+=("$(describe_corpus "$corpus" "$cabinet" "$manifest" "$scratch/out-vantrel")")
    ours=$(median_us "${times_us[vantrel]}")
    best_tool=
    best=
    for tool in "${tools[@]}"; do
        median=$(median_us "${times_us[$tool]}")
        awk -v c="$corpus" -v t="$(tool_label "$tool")" -v m="$median" -v o="$ours" \
            -v u="$(median_us "${user_us[$tool]}")" -v s="$(median_us "${system_us[$tool]}")" \
            -v k="${peak_kb[$tool]}" \
            'BEGIN { printf "| %s | %s | %.1f | %.0f | %.0f | %.2f | %.1f |\n",
                     c, t, m / 1000, u / 1000, s / 1000, o / m, k / 1024 }' \
            >>"$table"
        if [ "$tool" != vantrel ] && { [ -z "$best" ] || awk -v m="$median" -v b="$best" \
            'BEGIN { exit !(m < b) }'; }; then
            best=$median
            best_tool=$tool
        fi
    done
    awk -v c="$corpus" -v t="$best_tool" -v o="$ours" -v b="$best" \
        'BEGIN { printf "| %s | %s | %.2f |\n", c, t, o / b }' >>"$fastest"
    rm -rf "$scratch"/out-*
done

{
    echo "Extraction, $rounds rounds per tool, medians; $(date -u +%F), $(machine)."
    echo "vantrel-cab $(source_version), $(cabextract --version),"
    echo "$(bsdtar --version | cut -d' ' -f1,2,4,5), 7-Zip $(7zz | awk '/^7-Zip/ { print $3 }')."
    echo "Command: $command_line"
    echo "Load average (1, 5, 15 minutes): $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after."
    echo
    cat "$table"
    echo
    cat "$fastest"
    echo
    for note in "${notes[@]}"; do
        echo "- $note"
    done
    echo
    echo "Listing (CabFile::GetInfo, in process):"
    echo
    echo "    $("$build/bench/vantrel-bench-list")"
} | tee "$cache/last-run.md"
