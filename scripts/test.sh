#!/usr/bin/env bash
# Builds Vantrel and runs every test. With VANTREL_SANITIZE=ON the build uses AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

sanitize="${VANTREL_SANITIZE:-OFF}"
build="build"
if [ "$sanitize" = "ON" ]; then build="build-sanitize"; fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)"
# The tests write many small files (one makes 65,535); on tmpfs that takes seconds, not minutes.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
