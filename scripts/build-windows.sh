#!/usr/bin/env bash
# Cross-compiles Vantrel for 64-bit Windows with MinGW-w64 into build-windows/bin, as
# self-contained programs that need no DLL beyond Windows' own; with --test, then runs the
# Windows tests under Wine in a prefix made for the run.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/build-windows.sh [--test]"
}

run_tests=no
case "${1:-}" in
    "") ;;
    --test) run_tests=yes ;;
    --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
esac
if (($# > 1)); then usage >&2; exit 2; fi

# The windows' tests and the end-to-end runs show Vantrel.exe's windows on Xvfb, drive them with
# xdotool and install a cabinet made with gcab; fonts-wine has the dialog's MS Sans Serif. The
# commands wine, wineserver and wineboot come from the package wine (wine64 alone has none of
# them), objdump from binutils-mingw-w64-x86-64.
scripts/install-packages.sh cmake g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine \
    wine64 googletest librsvg2-bin icoutils locales fonts-wine gcab xvfb xauth xdotool

build=build-windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

for program in Vantrel.exe vantrel-cab.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$build/bin/$program" | sed -n 's/.*DLL Name: //p')
    echo "$build/bin/$program needs:" $dlls
done

if [ "$run_tests" = no ]; then exit 0; fi

# Wine takes the user's locale and code page from the Unix locale, and names files through it:
# the Japanese tests need ja_JP.UTF-8 to exist.
if ! locale -a | grep -qix 'ja_JP.utf-\?8'; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
fi

. scripts/wine-session.sh
start_wine_session
started=$SECONDS
TMPDIR="$wine_scratch" ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
echo "Windows tests under Wine: $((SECONDS - started)) s"
