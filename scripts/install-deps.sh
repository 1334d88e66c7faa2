#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the viewer need, when any is missing.
# As root it runs apt-get itself, through sudo where that exists; otherwise it prints the one
# line to run and fails.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-charts-dev libbz2-dev libjpeg62-turbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    bzip2 fonts-dejavu-core
    xvfb xauth imagemagick xdotool
    clang clang-format libfuzzer-14-dev libclang-rt-14-dev
    libnetcdf-dev libgdal-dev parallel dpkg-dev zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "Please run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
