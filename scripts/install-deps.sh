#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel needs to build, test and run. Safe to run again:
# only missing packages are installed.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang-format
    libmspack-dev libisal-dev zlib1g-dev qt6-base-dev libgtest-dev clang libclang-rt-14-dev
    gcab xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core locales
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
