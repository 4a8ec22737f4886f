#!/usr/bin/env bash
# Makes the bundles a vendor ships, from clean builds of the working tree:
#
#     dist/Vantrel-1.00-win64.zip             Vantrel.exe, vantrel-cab.exe, README.txt
#     dist/vantrel-1.00-linux-x86_64.tar.gz   vantrel, vantrel-cab, README.txt
#
# Each unpacks into a folder of its own name; Images.cab goes beside the programs there. The
# programs are stripped; their debug information stays beside the builds in build-package/.
# The same tree packs into the same bytes: every time inside the bundles and programs is
# SOURCE_DATE_EPOCH, the time of the last commit unless it is set. With a publisher's
# certificate the Windows programs are signed (the options, or their environment variables, of
# scripts/sign-windows.sh). A LICENSE file and a notices/ folder at the top of the tree go into
# both bundles when they are there.
#
#     scripts/package.sh [--test] [--sign-pkcs12 FILE] [--sign-password-file FILE]
#                        [--timestamp-url URL]
#
# --test: the Linux bundle, unpacked into a fresh folder beside an Images.cab, installs end to
# end under Xvfb (tests/app/e2e/install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

usage() {
    echo "usage: scripts/package.sh [--test] [--sign-pkcs12 FILE] [--sign-password-file FILE]" \
        "[--timestamp-url URL]"
}

. scripts/signing-options.sh
run_test=no
while (($# > 0)); do
    case "$1" in
        --test) run_test=yes; shift ;;
        --sign-pkcs12 | --sign-password-file | --timestamp-url)
            take_signing_option "$@" || { usage >&2; exit 2; }
            shift 2
            ;;
        --help) usage; exit 0 ;;
        *) usage >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh
scripts/install-packages.sh git g++-mingw-w64-x86-64-posix icoutils zip

version=1.00
windows_bundle="Vantrel-$version-win64"
linux_bundle="vantrel-$version-linux-x86_64"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"

work="$root/build-package"
rm -rf "$work"
mkdir -p "$work/stage" dist

# A clean build of the two programs, stripped, without the tests.
build() {
    local folder=$1
    shift
    cmake -S . -B "$work/$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_TESTS=OFF \
        -DVANTREL_SPLIT_DEBUG_INFO=ON "$@" >/dev/null
    cmake --build "$work/$folder" -j"$(nproc)" --target vantrel vantrel-cab
}

# The project's licence and the third-party notices, when the tree has them.
add_legal_texts() {
    if [ -f LICENSE ]; then cp LICENSE "$1/"; fi
    if [ -d notices ]; then cp -R notices "$1/"; fi
}

# The Debian packages of the libraries the Linux programs name (apt brings what those need in
# turn), and Qt's plugin for the X window system, which Qt loads as the program starts.
debian_packages() {
    local program library
    {
        for program in "$@"; do
            objdump -p "$program" | sed -n 's/^ *NEEDED *//p' | while read -r library; do
                library=$(ldd "$program" | sed -n "s|^[[:space:]]*$library => \([^ ]*\) .*|\1|p")
                [ -n "$library" ] || continue # the dynamic loader itself, which libc6 has
                dpkg -S "$library" 2>/dev/null || dpkg -S "$(realpath "$library")"
            done
        done | cut -d: -f1
        echo qt6-qpa-plugins
    } | LC_ALL=C sort -u | tr '\n' ' ' | sed 's/ $//'
}

build windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
stage="$work/stage/$windows_bundle"
mkdir -p "$stage"
cp "$work/windows/bin/Vantrel.exe" "$work/windows/bin/vantrel-cab.exe" "$stage/"
sed 's/$/\r/' resources/bundle/README-windows.txt >"$stage/README.txt"
add_legal_texts "$stage"
if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    scripts/sign-windows.sh "$stage/Vantrel.exe" "$stage/vantrel-cab.exe"
fi

build linux
stage="$work/stage/$linux_bundle"
mkdir -p "$stage"
cp "$work/linux/src/vantrel" "$work/linux/tools/vantrel-cab" "$stage/"
sed "s/@PACKAGES@/$(debian_packages "$stage/vantrel" "$stage/vantrel-cab")/" \
    resources/bundle/README-linux.txt >"$stage/README.txt"
add_legal_texts "$stage"

# The same files, modes, times and order whatever the umask, the clock or the file system.
cd "$work/stage"
find . -type d -exec chmod 755 {} +
find . -type f -exec chmod 644 {} +
chmod 755 "$windows_bundle"/*.exe "$linux_bundle/vantrel" "$linux_bundle/vantrel-cab"
find . -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$root/dist/$windows_bundle.zip" "$root/dist/$linux_bundle.tar.gz"
find "$windows_bundle" -type f | LC_ALL=C sort |
    TZ=UTC zip -X -D -q -9 "$root/dist/$windows_bundle.zip" -@
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
    --format=gnu -cf - "$linux_bundle" | gzip -9n >"$root/dist/$linux_bundle.tar.gz"
cd "$root"
sha256sum "dist/$windows_bundle.zip" "dist/$linux_bundle.tar.gz"

if [ "$run_test" = yes ]; then
    TMPDIR="${TMPDIR:-/dev/shm}" tests/app/e2e/install.sh "dist/$linux_bundle.tar.gz"
fi
