#!/usr/bin/env bash
# Started where no display can be reached (none named, or one nobody serves), `vantrel` ends with
# status 1 and one line that says so, instead of Qt's abort.
set -uo pipefail
for display in "-u DISPLAY" "DISPLAY=:4095"; do
    # shellcheck disable=SC2086 # the option and its word, or the assignment
    said=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $display "$1" 2>&1 >/dev/null </dev/null)
    status=$?
    [ "$status" = 1 ] && [[ "$said" == "vantrel: no display to show the windows on ("*")" ]] &&
        [[ "$said" != *$'\n'* ]] ||
        { echo "FAIL: $display: status $status, said: $said"; exit 1; }
done
echo "PASS: no display"
