#!/usr/bin/env bash
# Checks that every C++ source file in the repository is formatted as .clang-format says; lists
# the files that are not and exits 1. With --fix, formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/check-format.sh [--fix]"
}

fix=no
case "${1:-}" in
    "") ;;
    --fix) fix=yes ;;
    --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
esac
if (($# > 1)); then usage >&2; exit 2; fi

scripts/install-packages.sh clang-format git

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "$fix" = yes ]; then
    clang-format -i "${sources[@]}"
    exit 0
fi

unformatted=()
for source in "${sources[@]}"; do
    if ! clang-format --dry-run --Werror "$source" 2>/dev/null; then
        unformatted+=("$source")
    fi
done
if ((${#unformatted[@]} > 0)); then
    echo "Not formatted (scripts/check-format.sh --fix formats them):"
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "All ${#sources[@]} C++ files are formatted."
