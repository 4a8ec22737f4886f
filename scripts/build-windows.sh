#!/usr/bin/env bash
# Cross-compiles Vantrel for 64-bit Windows with MinGW-w64 into build-windows/bin, as
# self-contained programs that need no DLL beyond Windows' own; with --test, then runs the
# Windows tests under Wine in a prefix made for the run.
#
# With a publisher's certificate (a PKCS#12 file) Vantrel.exe and vantrel-cab.exe are signed
# with Authenticode: see scripts/sign-windows.sh, which also reads the options from the
# environment (VANTREL_SIGN_PKCS12, VANTREL_SIGN_PASSWORD_FILE or VANTREL_SIGN_PASSWORD,
# VANTREL_TIMESTAMP_URL).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/build-windows.sh [--test] [--sign-pkcs12 FILE]" \
        "[--sign-password-file FILE] [--timestamp-url URL]"
}

. scripts/signing-options.sh
run_tests=no
while (($# > 0)); do
    case "$1" in
        --test) run_tests=yes; shift ;;
        --sign-pkcs12 | --sign-password-file | --timestamp-url)
            take_signing_option "$@" || { usage >&2; exit 2; }
            shift 2
            ;;
        --help) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done

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
if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    scripts/sign-windows.sh "$build/bin/Vantrel.exe" "$build/bin/vantrel-cab.exe"
fi

if [ "$run_tests" = no ]; then exit 0; fi

# The identity test signs a copy of Vantrel.exe with a certificate it makes.
scripts/install-packages.sh openssl osslsigncode

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
