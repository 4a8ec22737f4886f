#!/usr/bin/env bash
# The viewer is not registered: the dialog's single "OK" (where "Cancel" sits otherwise, and the
# only control that takes the focus), pressed with Space, ends the program with status 2 and
# nothing is written.
source "$(dirname "$0")/lib.sh"

make_cabinet
before="$(files_on_drive_c)"
start_vantrel

dialog="$(wait_for_window Confirm)"
screenshot
press_key_in "$dialog" space
wait_for_exit

expect_status "$EXIT_STATUS" 2
[ "$(files_on_drive_c)" = "$before" ] || fail "something was written"
[ ! -e "$VIEWER" ] || fail "the viewer's folder was made"
echo "PASS: not found"
