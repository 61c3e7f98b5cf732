#!/usr/bin/env bash
# Set-up, build, then run the project's main job against its built-in default.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
echo "demo: the programs are built in $build/bin"
ls "$build/bin"
