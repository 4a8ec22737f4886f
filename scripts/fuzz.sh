#!/usr/bin/env bash
# Fuzzes the installer's cabinet path: every input is installed as Images.cab into a scratch
# folder, built with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#
#     scripts/fuzz.sh [SECONDS] [CORPUS_DIR]
#
# Seeds are the project's cabinets and the inputs kept from earlier runs. New interesting inputs
# go to CORPUS_DIR (default: a temporary folder, thrown away). A finding is written to
# build-fuzz/findings/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
corpus="${2:-}"

scripts/install-deps.sh

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_FUZZ=ON -DVANTREL_BUILD_GUI=OFF >/dev/null
cmake --build build-fuzz --target vantrel-cab-fuzzer -j"$(nproc)"

if [ -z "$corpus" ]; then
    corpus="$(mktemp -d)"
    trap 'rm -rf "$corpus"' EXIT
fi
mkdir -p build-fuzz/findings "$corpus"

# Scratch folders on tmpfs when there is one: the harness writes every input out in full.
scratch=/dev/shm
[ -d "$scratch" ] && [ -w "$scratch" ] || scratch="${TMPDIR:-/tmp}"

# Leaks are findings here, even when the caller (CI's sanitizer test run) switched them off: the
# last setting of an option wins.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"
TMPDIR="$scratch" build-fuzz/tests/vantrel-cab-fuzzer "$corpus" tests/data/cabinets tests/data/fuzz \
    -dict=tests/fuzz/cabinet.dict -max_len=20000 -timeout=10 -rss_limit_mb=2048 \
    -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$PWD/build-fuzz/findings/"
