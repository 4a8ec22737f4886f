#!/usr/bin/env bash
# What making "finished" durable costs Vantrel.exe under Wine, on the "many" corpus:
#
#     bench/run-flush.sh [-c CACHE] [-d DISK_FOLDER] [-r ROUNDS] [VANTREL-CAB.EXE...]
#
# Extracts CACHE/many-s1.cab (bench/make-corpus makes it) once onto tmpfs, then runs
# vantrel-bench-flush over that tree with its destination on a disk (DISK_FOLDER, default
# /var/tmp) and on tmpfs, and times `vantrel-cab.exe extract` of the cabinet into both, for each
# tool given (default build-windows/bin/vantrel-cab.exe): give an older build beside it to compare.
# Needs scripts/build-windows.sh to have built build-windows.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=/work/bench-cache
disk=/var/tmp
rounds=5
while getopts c:d:r: option; do
    case $option in
        c) cache=$OPTARG ;;
        d) disk=$OPTARG ;;
        r) rounds=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
tools=("$@")
[ ${#tools[@]} -gt 0 ] || tools=("$repo/build-windows/bin/vantrel-cab.exe")
cabinet=$cache/many-s1.cab
[ -s "$cabinet" ] || "$repo/bench/make-corpus" -s 1 "$cache" many

. "$repo/scripts/wine-session.sh"
start_wine_session
work=$(mktemp -d "$wine_scratch/vantrel-flush.XXXXXX")
on_disk=$(mktemp -d "$disk/vantrel-flush.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$wine_run_folder" "$work" "$on_disk"' EXIT

wine "${tools[0]}" extract "$cabinet" "$work/tree" >/dev/null
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for place in "$on_disk" "$work"; do
    echo "== vantrel-bench-flush, destination $place"
    wine "$repo/build-windows/bin/vantrel-bench-flush.exe" "$work/tree" "$place/dest" "$rounds"
done
for tool in "${tools[@]}"; do
    for place in "$on_disk" "$work"; do
        times=()
        for ((round = 0; round < rounds; round++)); do
            rm -rf "$place/out"
            started=${EPOCHREALTIME/./}
            wine "$tool" extract "$cabinet" "$place/out" >/dev/null
            times+=($(((${EPOCHREALTIME/./} - started) / 1000)))
        done
        median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((rounds / 2 + 1))p")
        echo "== $tool extract into $place: median $median ms of ${times[*]}"
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
