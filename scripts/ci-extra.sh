#!/usr/bin/env bash
# The CI steps after scripts/test.sh: every fuzz target for a short run (two at a time),
# then the SDK and tool suites once under ThreadSanitizer in build-tsan/.
# Usage: scripts/ci-extra.sh [FUZZ_SECONDS]   (default 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fuzz_seconds=${1:-20}
tsan_build=${VANTORY_TSAN_BUILD_DIR:-$root/build-tsan}
# Suites that run under ThreadSanitizer: the SDK's, the simulator's and vantory-cli's.
tsan_suites='^(sdk_|camsim|cli_)'

step() { echo "== $1 ($(date -u +%H:%M:%S), load $(cut -d' ' -f1-3 /proc/loadavg))"; }

step "fuzz targets, ${fuzz_seconds} s each"
FUZZ_JOBS=2 "$root/scripts/fuzz.sh" "$fuzz_seconds"

step "ThreadSanitizer build"
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$tsan_build" -G Ninja -DVANTORY_SANITIZE=thread -DVANTORY_BUILD_GUI=OFF \
  -DVANTORY_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
# Only the executables of the chosen suites (each test is named after its executable), and
# the run-time loaded filter library they need beside them.
mapfile -t suites < <(ctest --test-dir "$tsan_build" -N -R "$tsan_suites" | awk '/Test +#/ {print $3}')
cmake --build "$tsan_build" -j "$(nproc)" --target "${suites[@]}" mvsdk_shared

step "ThreadSanitizer run of ${#suites[@]} suites"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp ${TSAN_OPTIONS:-}"
ctest --test-dir "$tsan_build" -j2 -R "$tsan_suites" --output-on-failure
step "done"
