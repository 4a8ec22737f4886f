#!/usr/bin/env bash
# The viewer is registered: a click on "Cancel" ends the program with status 2 and nothing is
# written.
source "$(dirname "$0")/lib.sh"

register_viewer
make_cabinet
start_vantrel

dialog="$(wait_for_window Confirm)"
click_cancel_button "$dialog"
wait_for_exit

expect_status "$EXIT_STATUS" 2
[ -z "$(find "$VIEWER" -mindepth 1)" ] || fail "something was written to the viewer's folder"
echo "PASS: cancelled"
