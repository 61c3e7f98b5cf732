#!/usr/bin/env bash
# Set-up, build and every test. Widget tests run offscreen; the whole run sits under
# Xvfb so that tests needing a real X server (the point-cloud window) have one. Then the
# installation is checked: staged install, examples built against it and run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$@"
cd "$build"
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1600x1000x24" ctest -j2 --output-on-failure
else
  ctest -j2 --output-on-failure
fi
"$root/scripts/check-install.sh" "$build"
