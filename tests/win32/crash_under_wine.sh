#!/usr/bin/env bash
# vantrel-cab.exe killed outright (SIGKILL) under Wine while it writes a file of 58 MB over an
# earlier installation, at several points of that file: every target is either its old file or
# the complete new one, and the next run, left to finish, writes every file and leaves no
# temporary file, the killed run's included.
#
#     crash_under_wine.sh DEFAULT_PREFIX VANTREL-CAB.EXE GCAB
#
# The prefix is $WINEPREFIX when set, else DEFAULT_PREFIX, as for the other Windows tests.
set -euo pipefail
export WINEPREFIX=${WINEPREFIX:-$1} WINEDEBUG=-all
tool=$2
gcab=$3
"$(dirname "$0")/run-under-wine.sh" "$WINEPREFIX"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p new/sub
echo "new a" >new/a.txt
# Numbers compress as images do, and take the service long enough to decode that each point of
# the file can be caught.
seq 1 7500000 >new/big.bmp
echo "new c" >new/sub/c.txt
(cd new && "$gcab" -cz ../Images.cab a.txt big.bmp sub/c.txt)
names=(a.txt big.bmp sub/c.txt)
big_size=$(stat -c %s new/big.bmp)

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

lay_out_earlier_installation() {
    rm -rf out
    mkdir -p out/sub
    for name in "${names[@]}"; do echo "old $name" >"out/$name"; done
}

temporaries() {
    find out -name '.*.vantrel-*'
}

# Starts an extraction and kills it once the temporary file of big.bmp holds `percent` of it.
# True when it was killed there, false when it ended first.
extract_and_kill_at() {
    local wanted=$((big_size * $1 / 100)) temporary size
    wine "$tool" extract Images.cab out >/dev/null 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for temporary in out/.big.bmp.vantrel-*; do
            size=$(stat -c %s "$temporary" 2>/dev/null || echo 0)
            if [ "$size" -ge "$wanted" ]; then
                kill -KILL "$pid"
                wait "$pid" 2>/dev/null || true
                return 0
            fi
        done
    done
    wait "$pid" 2>/dev/null || true
    return 1
}

for percent in 10 50 90; do
    lay_out_earlier_installation
    if ! extract_and_kill_at "$percent"; then
        fail "the run ended before big.bmp was $percent % written"
        continue
    fi
    for name in "${names[@]}"; do
        if ! cmp -s "out/$name" "new/$name" && [ "$(cat "out/$name")" != "old $name" ]; then
            fail "killed at $percent %: $name is neither its old file nor the new one"
        fi
    done
    [ -n "$(temporaries)" ] || fail "killed at $percent %: no temporary file of big.bmp left"
    status=0
    wine "$tool" extract Images.cab out >/dev/null 2>&1 || status=$?
    [ "$status" = 0 ] || fail "the run after the kill at $percent % ended with $status"
    for name in "${names[@]}"; do
        cmp -s "out/$name" "new/$name" || fail "after the kill at $percent %: $name is not new"
    done
    [ -z "$(temporaries)" ] || fail "after the kill at $percent %: left $(temporaries)"
done

if ((failures > 0)); then
    exit 1
fi
echo "killed at 10, 50 and 90 % of big.bmp: every file old or new, no temporary file left"
