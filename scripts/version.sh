#!/usr/bin/env bash
# Prints Vantrel's version, which is written once: in the project() line of CMakeLists.txt, of
# the source tree this script lies in. The bundles are named after it.
set -euo pipefail
project_line='s/^project(Vantrel VERSION \([0-9.]*\)[ )].*/\1/p'
version=$(sed -n "$project_line" "$(dirname "$0")/../CMakeLists.txt")
if [ -z "$version" ]; then
    echo "scripts/version.sh: no version in the project() line of CMakeLists.txt" >&2
    exit 1
fi
echo "$version"
