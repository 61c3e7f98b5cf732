#!/usr/bin/env bash
# Installs every Debian 12 package that Vantory needs to build, test and run.
# Idempotent: packages already installed are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6opengl6-dev
  libboost-all-dev libpcl-dev libopencv-dev libopen3d-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils imagemagick iproute2 procps
  pybind11-dev python3-dev python3-pytest python3-numpy
  fonts-wqy-microhei  # the Chinese captions and log lines
  help2man dpkg-dev file lintian  # man pages and the Debian package (scripts/package.sh)
  clang-14 clang libclang-rt-14-dev  # fuzz targets: clang with libFuzzer and its sanitizers
  ccache  # builds of clean clones reuse earlier compilations
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
