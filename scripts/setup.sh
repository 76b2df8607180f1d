#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; quick when all is there.
set -euo pipefail
packages=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 xvfb xauth googletest imagemagick fonts-wine
          x11-utils python3 fp-utils gcc libc6-dev
          nsis 7zip clang libclang-rt-14-dev)
# nsis builds the setup, 7zip looks into it for the release check; clang with its runtime
# builds the fuzz targets (libFuzzer, AddressSanitizer).
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
fi
echo "installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
