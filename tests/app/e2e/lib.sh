#!/usr/bin/env bash
# Shared steps of the end-to-end runs: the real program, copied beside an Images.cab made with
# gcab, started in a Wine prefix of its own under Xvfb and driven with xdotool the way a person
# would. The program is the Linux `vantrel`, or `Vantrel.exe`, which runs under Wine, or the
# Linux bundle (vantrel-*.tar.gz), unpacked into the program's folder as a vendor unpacks it.
#
# A run script sources this file with the program's path as its first argument.
#
# Under Wine the prefix is a real one: a copy of $VANTREL_E2E_WINE_TEMPLATE (made there on first
# use) when that is set, else one made for the run. $VANTREL_E2E_REGISTRATION=/reg:32 registers
# the viewer as a 32-bit installer does.

set -euo pipefail

if [ "$#" -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PATH-TO-vantrel-OR-Vantrel.exe-OR-vantrel-*.tar.gz" >&2
    exit 2
fi
VANTREL_BINARY="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
case "$VANTREL_BINARY" in
    *.exe) ON_WINE=yes ;;
    *) ON_WINE="" ;;
esac

# Every run gets an X server of its own, so nothing on the caller's display is touched.
if [ -z "${VANTREL_E2E_IN_XVFB:-}" ]; then
    exec env VANTREL_E2E_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
        "$0" "$VANTREL_BINARY" "${@:2}"
fi

# How long to wait for any one thing a person would wait for (a window, the program's end).
E2E_TIMEOUT="${VANTREL_E2E_TIMEOUT:-20}"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-e2e-XXXXXX")"
VANTREL_PID=""
WINDOW_MANAGER_PID=""
cleanup() {
    local pid
    for pid in "$VANTREL_PID" "$WINDOW_MANAGER_PID"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
        fi
    done
    # Wine's services of the run's own prefix hold its files and the X server.
    if [ -n "$ON_WINE" ] && [ -d "$WORK/prefix" ]; then
        wineserver -k 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A prefix whose drive C: is $WORK/prefix/drive_c and Z: the host's "/"; the installer lives in
# C:\Setup, the viewer (when registered) in C:\Viewer.
PREFIX="$WORK/prefix"
SETUP="$PREFIX/drive_c/Setup"
VIEWER="$PREFIX/drive_c/Viewer"
SOURCE="$WORK/images"
export WINEPREFIX="$PREFIX"
export LC_ALL=C.UTF-8
if [ -n "$ON_WINE" ]; then
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -n "${VANTREL_E2E_WINE_TEMPLATE:-}" ]; then
        WINEPREFIX="$VANTREL_E2E_WINE_TEMPLATE" \
            "$E2E_DIR/../../win32/run-under-wine.sh" "$VANTREL_E2E_WINE_TEMPLATE"
        cp -a "$VANTREL_E2E_WINE_TEMPLATE" "$PREFIX"
    else
        "$E2E_DIR/../../win32/run-under-wine.sh" "$PREFIX"
    fi
    PROGRAM="$SETUP/Vantrel.exe"
else
    mkdir -p "$PREFIX/dosdevices"
    ln -s ../drive_c "$PREFIX/dosdevices/c:"
    ln -s / "$PREFIX/dosdevices/z:"
    export QT_QPA_PLATFORM=xcb  # the real window system, whatever the caller's tests use
    PROGRAM="$SETUP/vantrel"
fi
mkdir -p "$SETUP"
case "$VANTREL_BINARY" in
    *.tar.gz) tar -xzf "$VANTREL_BINARY" -C "$SETUP" --strip-components=1 ;;
    *) cp "$VANTREL_BINARY" "$PROGRAM" ;;
esac

# The viewer's registration: in Wine's own registry through its reg command (as the viewer's
# installer would leave it), or as a system.reg of the prefix for Vantrel's own reading of it.
register_viewer() {
    mkdir -p "$VIEWER"
    if [ -n "$ON_WINE" ]; then
        wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\ZORVIKViewer.EXE' \
            /ve /d 'C:\Viewer\ZORVIKViewer.EXE' /f ${VANTREL_E2E_REGISTRATION:-} >/dev/null 2>&1 ||
            fail "wine reg add failed"
        return
    fi
    [ -z "${VANTREL_E2E_REGISTRATION:-}" ] || fail "registrations of other views need Wine"
    printf '%s\n\n%s\n%s\n' 'WINE REGISTRY Version 2' \
        '[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE] 1700000000' \
        '@="C:\\Viewer\\ZORVIKViewer.EXE"' >"$PREFIX/system.reg"
}

# A few images in nested folders, with bytes of every value, packed MSZIP-compressed.
make_cabinet() {
    mkdir -p "$SOURCE/set1/case01" "$SOURCE/set2"
    head -c 70000 /dev/urandom >"$SOURCE/title.jpg"
    head -c 4096 /dev/urandom >"$SOURCE/set1/case01/front.jpg"
    head -c 12345 /dev/urandom >"$SOURCE/set1/case01/side.jpg"
    head -c 1 /dev/urandom >"$SOURCE/set2/tiny.png"
    : >"$SOURCE/set2/empty.txt"
    (cd "$SOURCE" && find . -type f -printf '%P\n' | sort | xargs gcab --create --zip \
        "$SETUP/Images.cab")
}

# The program reads no command line, and neither may its toolkit: it is started with options Qt
# would act on (an unknown platform would stop it at once) and must behave as without them.
start_vantrel() {
    local launcher=()
    if [ -n "$ON_WINE" ]; then launcher=(wine); fi
    (cd "$WORK" && exec "${launcher[@]}" "$PROGRAM" -platform nonsense -style nonsense -reverse) &
    VANTREL_PID=$!
}

# The files on drive C: outside the system's own folders (which Wine keeps up to date).
files_on_drive_c() {
    find "$PREFIX/drive_c" \( -path "$PREFIX/drive_c/windows" -o -path "$PREFIX/drive_c/users" \
        -o -path "$PREFIX/drive_c/ProgramData" \) -prune -o -type f -print | sort
}

# The windows get frames with close boxes, and Alt+F4 closes the active one, as on a desktop.
# Under Wine, Wine draws the frames and handles Alt+F4 itself, as Windows does, rather than
# handing the windows to an X window manager; on Linux the window manager is Openbox.
use_window_frames() {
    if [ -n "$ON_WINE" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
            fail "wine reg add failed"
        return
    fi
    openbox --sm-disable >/dev/null 2>&1 &
    WINDOW_MANAGER_PID=$!
    timeout "$E2E_TIMEOUT" sh -c 'until wmctrl -m >/dev/null 2>&1; do sleep 0.1; done' ||
        fail "no window manager within ${E2E_TIMEOUT}s"
}

# Clicks the close box of the window $1 (its window manager's close request on Linux; under
# Wine the box Wine draws at the caption's right end, 13 pixels in from the frame's right edge
# and 11 down, with Wine's metrics at 96 dots per inch).
click_close_box() {
    if [ -z "$ON_WINE" ]; then
        wmctrl -i -c "$1"
        return
    fi
    local width
    width="$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p')"
    xdotool mousemove --sync --window "$1" $((width - 13)) 11 click 1
}

# No window of the program's is shown any more.
expect_no_window() {
    local name
    for name in Confirm Form1; do
        [ -z "$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null)" ] ||
            fail "the window \"$name\" is still shown"
    done
}

# The id of the window titled exactly $1, once it is shown.
wait_for_window() {
    local id
    id="$(timeout "$E2E_TIMEOUT" xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)" ||
        fail "no window \"$1\" within ${E2E_TIMEOUT}s"
    [ -n "$id" ] || fail "no window \"$1\""
    echo "$id"
}

# Clicks at a point of a window given in twips from its client area's top-left corner, as the
# dialog's design gives its buttons (15 twips a pixel at the server's 96 dots per inch).
click_at_twips() {
    local window="$1" x="$2" y="$3"
    xdotool mousemove --sync --window "$window" $((x / 15)) $((y / 15)) click 1
}

# The centres of the dialog's two buttons (tests/support/window_design.h): OK at 2040,2520 and
# Cancel at 3360,2520, 1215 x 495.
click_ok_button() { click_at_twips "$1" $((2040 + 1215 / 2)) $((2520 + 495 / 2)); }
click_cancel_button() { click_at_twips "$1" $((3360 + 1215 / 2)) $((2520 + 495 / 2)); }

# Gives the keyboard to a window and presses a key there.
press_key_in() {
    xdotool windowfocus --sync "$1"
    xdotool key --clearmodifiers "$2"
}

# Confirms the message box "Vantrel" with the Return key.
confirm_message_box() {
    local box
    box="$(wait_for_window Vantrel)"
    press_key_in "$box" Return
}

# Waits for the program to end and leaves its exit status in EXIT_STATUS. It must run in this
# shell, not in a command substitution: only the shell that started the program can collect
# its status, and a subshell's wait sometimes races the parent reaping it.
wait_for_exit() {
    timeout "$E2E_TIMEOUT" tail --pid="$VANTREL_PID" -f /dev/null ||
        fail "vantrel still running after ${E2E_TIMEOUT}s"
    EXIT_STATUS=0
    wait "$VANTREL_PID" || EXIT_STATUS=$?
    VANTREL_PID=""
}

expect_status() {
    [ "$1" = "$2" ] || fail "exit status $1, expected $2"
}

# Saves the whole screen when VANTREL_E2E_SCREENSHOT names a file, once the window just
# mapped has had time to paint.
screenshot() {
    if [ -n "${VANTREL_E2E_SCREENSHOT:-}" ]; then
        sleep 1
        import -window root "$VANTREL_E2E_SCREENSHOT"
    fi
}
