#!/usr/bin/env bash
# Runs the installer's cabinet component on both platform layers over every cabinet of the test
# data and compares: vantrel-cab on Linux (our POSIX layer: libmspack, the prefix's drives) and
# vantrel-cab.exe under Wine (our Windows layer over the system's SetupIterateCabinetA). The two
# must list, extract and exit alike, into an empty folder and into one holding an earlier
# installation; where a cabinet is damaged and they may not, tests/data/cross-check.tsv records
# what each does (docs/platform-differences.md explains it), and that is checked instead. The
# viewer's registration and the usage text are compared too.
#
#     scripts/cross-check.sh [--update]      --update rewrites tests/data/cross-check.tsv
#
# Needs the Linux build in build/ and the Windows build in build-windows/ (scripts/test.sh,
# scripts/build-windows.sh); builds the two tools there if they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

update=no
case "${1:-}" in
    "") ;;
    --update) update=yes ;;
    --help) echo "usage: scripts/cross-check.sh [--update]"; exit 0 ;;
    *) echo "usage: scripts/cross-check.sh [--update]" >&2; exit 2 ;;
esac

scripts/install-packages.sh wine wine64
cmake --build build --target vantrel-cab -j"$(nproc)" >/dev/null
cmake --build build-windows --target vantrel-cab -j"$(nproc)" >/dev/null
linux_tool="$PWD/build/tools/vantrel-cab"
windows_tool="$PWD/build-windows/bin/vantrel-cab.exe"
expected_file=tests/data/cross-check.tsv

. scripts/wine-session.sh
start_wine_session
work=$(mktemp -d "$wine_scratch/vantrel-cross-check.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$wine_run_folder" "$work"' EXIT

failures=0
fail() {
    echo "DIFFERENT: $*"
    failures=$((failures + 1))
}

# Runs one side's tool: run SIDE NAME ARGUMENTS... leaves NAME.out, NAME.err (Windows line ends
# made Unix ones) and NAME.status in the current folder.
run() {
    local side=$1 name=$2
    shift 2
    local status=0
    if [ "$side" = linux ]; then
        "$linux_tool" "$@" >"$name.out" 2>"$name.err" </dev/null || status=$?
    else
        wine "$windows_tool" "$@" >"$name.out" 2>"$name.err" </dev/null || status=$?
        sed -i 's/\r$//' "$name.out" "$name.err"
        # A program that crashed under Wine ends with whatever status the crash left (0 or 5
        # from one run to the next): the crash is its outcome.
        if grep -q '^wine: Unhandled' "$name.err"; then status=crashed; fi
    fi
    echo "$status" >"$name.status"
}

# Every file under a folder with the checksum of its content, one per line.
tree_of() {
    if [ -d "$1" ]; then
        (cd "$1" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
    fi
}

# What one extraction ended with: its status, and its crash or first message.
ending_of() {
    local run=$1
    if grep -q '^wine: Unhandled' "$run.err"; then
        printf '; crashed (%s)' "$(grep -o 'Unhandled [a-z ]*fault' "$run.err" | head -n 1)"
    elif [ -s "$run.err" ]; then
        printf '; %s' "$(head -n 1 "$run.err")"
    fi
}

# One line saying what a side did with a cabinet.
outcome_of() {
    local side=$1
    printf 'list %s, %s files; extract %s, %s files' \
        "$(cat "$side-list.status")" "$(wc -l <"$side-list.out")" \
        "$(cat "$side-extract.status")" "$(tree_of "$side/out" | wc -l)"
    ending_of "$side-extract"
    printf '; over an installation: extract %s' "$(cat "$side-over.status")"
    ending_of "$side-over"
}

# Lays out an earlier installation in a folder: a file at every name the cabinet lists that
# stays inside it, each longer than most new ones, so that a file written in place or cut short
# shows in the tree.
earlier_installation() {
    local folder=$1 listing=$2 name path
    mkdir -p "$folder"
    cut -f1 "$listing" | while IFS= read -r name; do
        path=${name//\\//}
        case "/$path/" in */../* | */./* | //* | *:*) continue ;; esac
        { mkdir -p "$folder/$(dirname "$path")" &&
            yes "earlier installation of $path" | head -c 65536 >"$folder/$path"; } 2>/dev/null ||
            true
    done
}

# Writes the input as the installer finds it: Images.cab, and the part after a
# "#VANTREL-PART-2#" mark as Images2.cab beside it (the fuzz inputs' cabinet sets).
place_input() {
    local input=$1 folder=$2
    mkdir -p "$folder"
    local mark
    mark=$(grep -obaF '#VANTREL-PART-2#' "$input" | head -n 1 | cut -d: -f1 || true)
    if [ -n "$mark" ]; then
        head -c "$mark" "$input" >"$folder/Images.cab"
        tail -c +"$((mark + 17))" "$input" >"$folder/Images2.cab"
    else
        cp "$input" "$folder/Images.cab"
    fi
}

# ---- Every cabinet of the test data.

observed="$work/observed.tsv"
echo -e "# input\twhat differs (\"same\": nothing)\tLinux\tWine" >"$observed"
for input in tests/data/cabinets/*.cab tests/data/fuzz/*.cab; do
    name=${input#tests/data/}
    case_folder="$work/$(echo "$name" | tr '/' '_')"
    place_input "$input" "$case_folder/in"
    # Each side extracts into "out" of a folder of its own, both given the same relative paths,
    # so that their messages, which name the paths as given, can be compared; then again into
    # "over", a folder that holds an earlier installation.
    for side in linux windows; do
        mkdir "$case_folder/$side"
        (
            cd "$case_folder/$side"
            run "$side" "../$side-list" list ../in/Images.cab
            run "$side" "../$side-extract" extract ../in/Images.cab out
        )
    done
    for side in linux windows; do
        (
            cd "$case_folder/$side"
            earlier_installation over ../linux-list.out
            run "$side" "../$side-over" extract ../in/Images.cab over
        )
    done
    cd "$case_folder"
    differences=()
    cmp -s linux-list.out windows-list.out || differences+=("listing")
    cmp -s linux-list.status windows-list.status || differences+=("listing's status")
    cmp -s linux-extract.status windows-extract.status || differences+=("extraction's status")
    { cmp -s linux-list.err windows-list.err && cmp -s linux-extract.err windows-extract.err; } ||
        differences+=("messages")
    [ "$(tree_of linux/out)" = "$(tree_of windows/out)" ] || differences+=("files written")
    cmp -s linux-over.status windows-over.status || differences+=("status over an installation")
    cmp -s linux-over.err windows-over.err || differences+=("messages over an installation")
    [ "$(tree_of linux/over)" = "$(tree_of windows/over)" ] ||
        differences+=("files over an installation")
    if ((${#differences[@]} == 0)); then
        echo -e "$name\tsame" >>"$observed"
    else
        joined=$(printf '%s, ' "${differences[@]}")
        echo -e "$name\t${joined%, }\t$(outcome_of linux)\t$(outcome_of windows)" >>"$observed"
    fi
    cd - >/dev/null
done

if [ "$update" = yes ]; then
    cp "$observed" "$expected_file"
    echo "rewrote $expected_file"
elif ! diff -u "$expected_file" "$observed"; then
    fail "cabinets: the outcomes above differ from $expected_file (--update rewrites it)"
fi

# ---- The usage, and what a wrong command line gets.

cd "$work"
for arguments in "--help" "unpack"; do
    run linux usage-linux $arguments
    run windows usage-windows $arguments
    for part in out err status; do
        cmp -s "usage-linux.$part" "usage-windows.$part" ||
            fail "vantrel-cab $arguments: standard ${part} differs"
    done
done
[ "$(cat usage-linux.status)" = 2 ] || fail "a wrong command line does not exit with 2"
run windows help --help
[ "$(cat help.status)" = 0 ] && grep -q '^usage: vantrel-cab' help.out ||
    fail "vantrel-cab.exe --help does not print its usage and exit 0"

# ---- The viewer's registration, written with Wine's reg.exe: Wine's registry read by
# vantrel-cab.exe, and the prefix's system.reg read by vantrel-cab on Linux once the server saved it.

viewer_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\ZORVIKViewer.EXE'
compare_where() {
    local label=$1
    restart_wine_server
    run linux where-linux where
    run windows where-windows where
    if ! cmp -s where-linux.out where-windows.out || ! cmp -s where-linux.status where-windows.status
    then
        fail "where, $label: Linux says '$(cat where-linux.out)' ($(cat where-linux.status)), Wine '$(cat where-windows.out)' ($(cat where-windows.status))"
    else
        echo "where, $label: $(cat where-linux.out) ($(cat where-linux.status))"
    fi
}
compare_where "not registered"
wine reg add "$viewer_key" /ve /d 'C:\Program Files\Viewer\ZORVIKViewer.EXE' /f >/dev/null 2>&1
compare_where "registered"
wine reg add "$viewer_key" /ve /t REG_EXPAND_SZ /d '%ProgramFiles%\Viewer 2\ZORVIKViewer.EXE' \
    /f /reg:32 >/dev/null 2>&1
compare_where "registered by a 32-bit setup, expandable"

# A 32-bit setup's registration naming every variable Wine gives a 64-bit program, and one nobody
# defines, in one path (the discovery looks no further than the last "\"): both tools must give
# what Wine's own cmd gives for it in the same prefix.
variables=(ProgramFiles 'ProgramFiles(x86)' ProgramW6432 CommonProgramFiles
    'CommonProgramFiles(x86)' CommonProgramW6432 SystemRoot windir ProgramData ALLUSERSPROFILE
    PUBLIC USERPROFILE APPDATA LOCALAPPDATA TEMP VantrelUndefined)
folders=$(printf '%%%s%%;' "${variables[@]}")
wine reg add "$viewer_key" /ve /t REG_EXPAND_SZ /d "${folders}\\ZORVIKViewer.EXE" /f /reg:32 \
    >/dev/null 2>&1
compare_where "every variable"
wine cmd /c echo "${folders}\\" 2>/dev/null | sed 's/\r$//' >where-cmd.out
if ! cmp -s where-linux.out where-cmd.out; then
    fail "where, every variable: Linux and Wine's cmd differ:"
    diff <(tr ';' '\n' <where-linux.out) <(tr ';' '\n' <where-cmd.out) || true
fi

if ((failures > 0)); then
    echo "cross-check: $failures difference(s)"
    exit 1
fi
echo "cross-check: both platform layers agree, or differ as recorded"
