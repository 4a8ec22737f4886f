#!/usr/bin/env bash
# Under Wine: a DLL left beside Vantrel.exe, named like one Windows' own DLLs load on its behalf,
# is not loaded, even when DLLs are taken as Windows takes them (the one found first, before
# Wine's own: WINEDLLOVERRIDES=...=n,b). The program ends as usual.
#
#     planted_dll.sh Vantrel.exe PLANTED.dll
source "$(dirname "$0")/lib.sh"

[ -n "$ON_WINE" ] || fail "this run is for Vantrel.exe under Wine"
[ -f "${2:-}" ] || fail "usage: $0 Vantrel.exe PLANTED.dll"
cp "$2" "$SETUP/uxtheme.dll"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;uxtheme=n,b"

expect_not_loaded() {
    [ ! -e "$SETUP/uxtheme.dll.loaded" ] || fail "the DLL beside Vantrel.exe was loaded"
}

make_cabinet
start_vantrel
# A DLL of that name but without the theme library's functions leaves the program without
# windows, should it be loaded.
if ! dialog="$(wait_for_window Confirm)"; then
    expect_not_loaded
    exit 1
fi
press_key_in "$dialog" space
wait_for_exit

expect_status "$EXIT_STATUS" 2
expect_not_loaded
echo "PASS: the DLL beside Vantrel.exe was not loaded"
