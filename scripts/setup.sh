#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quorvia need, skipping
# those already installed.
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-svg-dev
    libgtest-dev zlib1g-dev libxml2-dev libcsv-dev
    xvfb xauth fonts-dejavu-core libxcb1-dev
    clang libclang-rt-14-dev
    dpkg-dev file desktop-file-utils appstream lintian
)
if [ "$#" -gt 0 ]; then
    packages+=("$@")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
