#!/usr/bin/env bash
# Started where no display can be reached (none named, or one nobody serves), `vantrel` ends with
# status 1 and one line that says so, instead of Qt's abort.
set -uo pipefail
vantrel=$1
failures=0
for display in "-u DISPLAY" "DISPLAY=:4095"; do
    # shellcheck disable=SC2086 # the option and its word, or the assignment
    errors=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $display "$vantrel" 2>&1 >/dev/null </dev/null)
    status=$?
    if [ "$status" != 1 ] || [ "$(printf '%s\n' "$errors" | wc -l)" != 1 ] ||
        [[ "$errors" != "vantrel: no display to show the windows on ("* ]]; then
        echo "FAIL: $display: status $status, said: $errors"
        failures=$((failures + 1))
    fi
done
[ "$failures" = 0 ] && echo "PASS: no display"
