#!/usr/bin/env bash
# Runs a Windows program that shows windows under Wine, on an X server of its own (Xvfb,
# 1024 x 768), and waits until Wine's services of the prefix are gone before the X server goes:
#
#     run-on-display.sh PREFIX PROGRAM.exe [ARGUMENTS...]
#
# PREFIX is a prefix for programs with windows only. Wine's desktop process takes its display
# from the program that starts it; one started for the console tests (with no display) would
# leave these windows on no screen at all.
set -euo pipefail

if [ -z "${VANTREL_ON_DISPLAY:-}" ]; then
    exec env VANTREL_ON_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
fi

export WINEPREFIX="$1"
export WINEDEBUG="${WINEDEBUG:--all}"
run_under_wine="$(dirname "$0")/../../../../win32/run-under-wine.sh"
# With no window manager to answer it, Wine waits two seconds for every window it hides to be
# withdrawn by one. Windows it does not hand to a window manager are hidden at once; the tests
# look at windows through Win32 only, where nothing else differs.
if [ ! -e "$WINEPREFIX/.vantrel-unmanaged" ]; then
    "$run_under_wine" "$WINEPREFIX"
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vantrel-unmanaged"
fi

status=0
"$run_under_wine" "$@" || status=$?
wineserver -w
exit "$status"
