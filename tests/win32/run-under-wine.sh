#!/usr/bin/env bash
# Runs a Windows test program under Wine, as CTest's emulator for the Windows test programs:
#
#     run-under-wine.sh DEFAULT_PREFIX PROGRAM.exe [ARGUMENTS...]
#     run-under-wine.sh DEFAULT_PREFIX              only make the prefix
#
# The prefix is $WINEPREFIX when set, else DEFAULT_PREFIX. It is made on first use, once even
# when several tests start together, without offering to install Mono or Gecko. Make it before
# starting a `wineserver -p` for a test run (which saves the 3 s each process would spend
# starting Wine's services): making it waits for every Wine process of the prefix to end.
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-$1}"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

mkdir -p "$(dirname "$WINEPREFIX")"
{
    flock 9
    if [ ! -e "$WINEPREFIX/.vantrel-ready" ]; then
        # wineboot returns while the set-up still runs; a process started before it ends can
        # wait for minutes.
        wineboot -i >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.vantrel-ready"
    fi
} 9>"$WINEPREFIX.lock"

if (($# == 0)); then exit 0; fi

# Wine's services, started by the first program that needs them, inherit its output and would
# hold CTest's pipe open long after the program ended: the output goes through files instead.
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
wine "$@" >"$output" 2>"$errors" </dev/null || status=$?
cat "$output"
cat "$errors" >&2
exit "$status"
