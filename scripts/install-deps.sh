#!/usr/bin/env bash
# Installs the Debian packages needed to build, test, fuzz, benchmark and package
# VelmorTool (umockdev emulates controllers for the libusb backend's tests; dpkg-dev
# and file serve cpack, lintian checks the package, appstream validates its metainfo; clang and its runtime libraries
# build the libFuzzer harnesses; mingw-w64 cross-builds for Windows and Wine runs the result).
# Safe to run again: packages already present are left alone. Needs root (or sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  libinih-dev libsimpleini-dev
  libusb-1.0-0-dev libcli11-dev nlohmann-json3-dev
  umockdev libumockdev-dev
  dpkg-dev file lintian appstream
  fonts-wqy-microhei xauth xvfb
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix wine64 wine
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"
