#!/usr/bin/env bash
# The viewer is not registered: the dialog's single "OK" (where "Cancel" sits otherwise, and the
# only control that takes the focus), pressed with Space, ends the program with status 2 and
# nothing is written.
source "$(dirname "$0")/lib.sh"

make_cabinet
start_vantrel

dialog="$(wait_for_window Confirm)"
screenshot
press_key_in "$dialog" space
wait_for_exit

expect_status "$EXIT_STATUS" 2
[ "$(find "$PREFIX/drive_c" -type f | sort)" = "$(printf '%s\n%s' "$SETUP/Images.cab" "$SETUP/vantrel")" ] ||
    fail "something was written"
echo "PASS: not found"
