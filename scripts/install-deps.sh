#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need,
# and only those that are missing. Usage: install-deps.sh [--tests | --package]
set -euo pipefail

packages=(cmake g++ make ccache pkg-config qt6-base-dev qt6-serialport-dev fonts-dejavu-core)
# The trend (Qt Charts finds no OpenGL without libqt6opengl6-dev) and the
# engine that draws the program's SVG icon.
packages+=(qt6-charts-dev libqt6opengl6-dev libqt6svg6)
if [[ "${1:-}" == "--tests" ]]; then
    # Screenshots of a real window, reading back a printed PDF, the fuzzers.
    packages+=(xvfb xauth poppler-utils clang libclang-rt-14-dev)
    # Checks the installed desktop entry.
    packages+=(desktop-file-utils)
elif [[ "${1:-}" == "--package" ]]; then
    # CPack's Debian package finds the package's dependencies with these.
    packages+=(dpkg-dev file)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
