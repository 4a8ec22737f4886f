#!/bin/sh
# Finishes a program we ship, right after it is linked: its debug information moves into
# PROGRAM.debug beside it, which a debug link in the stripped program names (debuggers find it
# there). A Windows program also gets its loader configuration (_load_config_used) entered in
# its header, which Debian 12's MinGW-w64 linker (binutils 2.40) does not do itself.
#
#     finish-program.sh OBJCOPY NM OBJDUMP PROGRAM
set -eu

# objcopy stamps a Windows program it writes with the time, or with SOURCE_DATE_EPOCH when set:
# without it, the program carries no time at all, as the linker left it.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-0}"

objcopy=$1
nm=$2
objdump=$3
program=$4

# The loader configuration's place, read while the program still has its symbols.
load_config=""
if [ "$(head -c 2 "$program")" = MZ ]; then
    symbol=$("$nm" "$program" | sed -n 's/^\([0-9a-fA-F]*\) R _load_config_used$/\1/p')
    base=$("$objdump" -p "$program" | sed -n 's/^ImageBase[[:space:]]*//p')
    if [ -n "$symbol" ]; then
        load_config=$((0x$symbol - 0x$base))
    fi
fi

"$objcopy" --only-keep-debug "$program" "$program.debug"
"$objcopy" --strip-all "$program"
"$objcopy" --add-gnu-debuglink="$program.debug" "$program"

if [ -n "$load_config" ]; then
    # The header's data directory 10 (the load configuration) of a PE32+ image: 24 bytes of
    # signature and file header, then 112 of the optional header before its data directories.
    # It gets the structure's address and size (112 bytes, as MinGW-w64 declares it), each as
    # four bytes, least significant first.
    header=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
    entry=$((header + 24 + 112 + 10 * 8))
    little_endian() {
        for shift in 0 8 16 24; do
            printf "\\$(printf %03o $((($1 >> shift) & 255)))"
        done
    }
    { little_endian "$load_config"; little_endian 112; } |
        dd of="$program" bs=1 seek="$entry" conv=notrunc status=none
fi
