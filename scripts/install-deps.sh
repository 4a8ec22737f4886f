#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel needs to build, test and run. Safe to run again:
# only missing packages are installed.
set -euo pipefail

"$(dirname "$0")/install-packages.sh" \
    build-essential cmake pkg-config clang-format \
    libmspack-dev libisal-dev zlib1g-dev qt6-base-dev libgtest-dev clang libclang-rt-14-dev \
    librsvg2-bin \
    gcab xvfb xauth xdotool x11-utils openbox wmctrl imagemagick fonts-dejavu-core locales
