#!/usr/bin/env bash
# The viewer is registered: Escape does nothing (had it closed the dialog, the program would
# have ended without installing); "OK" (where the focus starts, pressed with Enter) installs
# every image into its folder, the completion message is confirmed, and the program ends with
# status 0.
source "$(dirname "$0")/lib.sh"

register_viewer
make_cabinet
start_vantrel

dialog="$(wait_for_window Confirm)"
screenshot
press_key_in "$dialog" Escape
press_key_in "$dialog" Return
confirm_message_box
wait_for_exit

expect_status "$EXIT_STATUS" 0
diff -r "$SOURCE" "$VIEWER" || fail "the viewer's folder differs from the cabinet's contents"
echo "PASS: installed $(find "$VIEWER" -type f | wc -l) files"
