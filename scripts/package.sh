#!/usr/bin/env bash
# Makes the bundles a vendor ships, from clean builds of the working tree (VERSION is
# scripts/version.sh's):
#
#     dist/Vantrel-VERSION-win64.zip             Vantrel.exe, vantrel-cab.exe, README.txt
#     dist/vantrel-VERSION-linux-x86_64.tar.gz   vantrel, vantrel-cab, README.txt
#
# and in both LICENSE and notices/, the licences of what the programs contain and load. Each
# unpacks into a folder of its own name; Images.cab goes beside the programs there. The
# programs are stripped; their debug information stays beside the builds in build-package/.
# The same tree packs into the same bytes: every time inside the bundles and programs is
# SOURCE_DATE_EPOCH, the time of the last commit unless it is set. With a publisher's
# certificate the Windows programs are signed (the options, or their environment variables, of
# scripts/sign-windows.sh).
#
#     scripts/package.sh [--test] [--sign-pkcs12 FILE] [--sign-password-file FILE]
#                        [--timestamp-url URL]
#
# --test: both bundles hold what is listed above and nothing else, and the Linux bundle, unpacked
# into a fresh folder beside an Images.cab, installs end to end under Xvfb
# (tests/app/e2e/install.sh).
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
scripts/install-packages.sh git g++-mingw-w64-x86-64-posix icoutils zip unzip

version=$(scripts/version.sh)
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

# The project's licence and the notices of what the programs contain and load.
add_legal_texts() {
    cp LICENSE "$1/"
    cp -R notices "$1/"
}

# The bundle's text for the vendor, with the version and `packages` put in.
bundle_text() {
    sed -e "s/@VERSION@/$version/g" -e "s/@PACKAGES@/${2:-}/g" "resources/bundle/$1"
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
bundle_text README-windows.txt | sed 's/$/\r/' >"$stage/README.txt"
add_legal_texts "$stage"
if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
    scripts/sign-windows.sh "$stage/Vantrel.exe" "$stage/vantrel-cab.exe"
fi

build linux
stage="$work/stage/$linux_bundle"
mkdir -p "$stage"
cp "$work/linux/src/vantrel" "$work/linux/tools/vantrel-cab" "$stage/"
bundle_text README-linux.txt "$(debian_packages "$stage/vantrel" "$stage/vantrel-cab")" \
    >"$stage/README.txt"
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

# The files of a bundle, one a line, sorted, from the listing of its archive the command prints.
listed_files() {
    "$@" | grep -v '/$' | LC_ALL=C sort
}

# Each bundle holds its programs, its text, LICENSE and every file of notices/, and nothing else.
check_contents() {
    local bundle=$1 listing=$2
    shift 2
    local expected
    expected=$({
        for file in "$@" README.txt LICENSE; do echo "$file"; done
        find notices -type f
    } | sed "s|^|$bundle/|" | LC_ALL=C sort)
    if [ "$listing" != "$expected" ]; then
        echo "package.sh: $bundle does not hold what it should:" >&2
        diff <(echo "$expected") <(echo "$listing") >&2 || true
        exit 1
    fi
    echo "$bundle: its programs, README.txt, LICENSE and notices/"
}

# The bundle's text names the version and leaves no placeholder unfilled.
check_text() {
    local bundle=$1 text=$2
    if [[ "$text" != "Vantrel $version for "* ]] || grep -q '@[A-Z]*@' <<<"$text"; then
        echo "package.sh: $bundle/README.txt is not filled in:" >&2
        echo "$text" >&2
        exit 1
    fi
}

if [ "$run_test" = yes ]; then
    check_contents "$windows_bundle" "$(listed_files unzip -Z1 "dist/$windows_bundle.zip")" \
        Vantrel.exe vantrel-cab.exe
    check_contents "$linux_bundle" "$(listed_files tar -tzf "dist/$linux_bundle.tar.gz")" \
        vantrel vantrel-cab
    check_text "$windows_bundle" \
        "$(unzip -p "dist/$windows_bundle.zip" "$windows_bundle/README.txt" | tr -d '\r')"
    check_text "$linux_bundle" \
        "$(tar -xzOf "dist/$linux_bundle.tar.gz" "$linux_bundle/README.txt")"
    TMPDIR="${TMPDIR:-/dev/shm}" tests/app/e2e/install.sh "dist/$linux_bundle.tar.gz"
fi
