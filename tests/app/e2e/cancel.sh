#!/usr/bin/env bash
# The viewer is registered: Escape does not close the dialog (had it, the click that follows
# would land on the title window and the program would keep running); a click on "Cancel" ends
# the program with status 2 and nothing is written.
source "$(dirname "$0")/lib.sh"

register_viewer
make_cabinet
start_vantrel

dialog="$(wait_for_window Confirm)"
press_key_in "$dialog" Escape
click_cancel_button "$dialog"
wait_for_exit

expect_status "$EXIT_STATUS" 2
[ -z "$(find "$VIEWER" -mindepth 1)" ] || fail "something was written to the viewer's folder"
echo "PASS: cancelled"
