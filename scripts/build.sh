#!/usr/bin/env bash
# Configures and builds into build/ (or $VANTORY_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BUILD_DIR:-$root/build}
# ccache (when installed) keeps compilations across clean clones: paths below the source
# root are taken as relative, so a clone in another folder hits the same cache entries.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "$@"
cmake --build "$build" -j "$(nproc)"
