#!/usr/bin/env bash
# Builds Vantrel and runs it on a ready demo: a Wine-style prefix in demo/prefix with the viewer
# registered at C:\Program Files\ZORVIK\ZORVIKViewer.EXE, and demo/Setup holding the program
# beside an "Images.cab" of a few generated images in nested folders.
#
# With a display, the desktop program starts: press "OK" to install the images into
# demo/prefix/drive_c/Program Files/ZORVIK. Without one, the same installation runs through the
# command-line tool vantrel-cab, and the script says how to see the windows under Xvfb. On an
# X server of its own the program waits in "Confirm" for "OK" (README.md says how to reach it).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vantrel vantrel-cab

demo="$root/demo"
prefix="$demo/prefix"
viewer="$prefix/drive_c/Program Files/ZORVIK"
rm -rf "$demo"
mkdir -p "$prefix/dosdevices" "$viewer" "$demo/Setup" "$demo/images"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
printf 'MZ demo viewer\n' >"$viewer/ZORVIKViewer.EXE"
cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE] 1733550000
#time=1db48a3c2f1e6a0
@="C:\\Program Files\\ZORVIK\\ZORVIKViewer.EXE"
REG

# A few reference images in nested folders, packed as the installer expects them.
images="$demo/images"
mkdir -p "$images/set1/case01" "$images/set1/case02" "$images/set2"
/usr/bin/convert -size 320x240 gradient:navy-gold "$images/title.png"
/usr/bin/convert -size 320x240 plasma:fractal -seed 1 "$images/set1/case01/a.jpg"
/usr/bin/convert -size 320x240 plasma:fractal -seed 2 "$images/set1/case01/b.jpg"
/usr/bin/convert -size 320x240 pattern:checkerboard "$images/set1/case02/grid.bmp"
/usr/bin/convert -size 320x240 radial-gradient:white-teal "$images/set2/radial.png"
(cd "$images" && gcab -c -z "$demo/Setup/Images.cab" $(find . -type f -printf '%P\n' | sort))
cp build/src/vantrel "$demo/Setup/vantrel"

export WINEPREFIX="$prefix"
echo "Demo prefix: $prefix"
echo "Installer:   $demo/Setup/vantrel (beside Images.cab)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    status=0
    "$demo/Setup/vantrel" || status=$?
else
    echo "No display: installing through vantrel-cab instead. To see the windows, run"
    echo "    Xvfb :57 -screen 0 1280x800x24 &"
    echo "    DISPLAY=:57 scripts/demo.sh"
    echo "and look at display :57 with screenshots, xdotool or a VNC viewer (README.md, \"Two"
    echo "commands\"), or run scripts/demo.sh on a desktop."
    status=0
    build/tools/vantrel-cab extract "$demo/Setup/Images.cab" "$viewer" || status=$?
fi
echo "Exit status: $status"
echo "Files in the viewer's folder:"
(cd "$viewer" && find . -type f -printf '  %P (%s bytes)\n' | sort)
exit "$status"
