#!/usr/bin/env bash
# The CI steps after scripts/test.sh: every fuzz target for a short run (two at a time),
# then the SDK and tool suites once under ThreadSanitizer in build-tsan/. Both steps run
# even when the first fails; the script fails when either did.
# Usage: scripts/ci-extra.sh [FUZZ_SECONDS]   (default 20)
#   VANTORY_TSAN_SUITES  regular expression of the suites run under ThreadSanitizer
#   VANTORY_TSAN_EXCLUDE  regular expression of the suites left out of them
#   VANTORY_TSAN_BUILD_DIR  build folder of that step (default build-tsan/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fuzz_seconds=${1:-20}
tsan_build=${VANTORY_TSAN_BUILD_DIR:-$root/build-tsan}
# Suites that run under ThreadSanitizer: the SDK's, the simulator's and vantory-cli's.
tsan_suites=${VANTORY_TSAN_SUITES:-'^(sdk_|camsim|cli_)'}
# Left out: single-threaded suites whose many random cases take minutes under the sanitizer
# and give it nothing to check.
tsan_exclude=${VANTORY_TSAN_EXCLUDE:-'^(sdk_reassembly_fuzz_test|camsim_unit_test)$'}

step() { echo "== $1 ($(date -u +%H:%M:%S), load $(cut -d' ' -f1-3 /proc/loadavg))"; }

# clang, its fuzzing runtime and ccache come from here on a fresh machine.
"$root/scripts/setup.sh"

fuzz_status=0
step "fuzz targets, ${fuzz_seconds} s each"
FUZZ_JOBS=2 "$root/scripts/fuzz.sh" "$fuzz_seconds" || fuzz_status=$?

tsan_status=0
# Called as `run_tsan || ...`, where errexit does not apply: every step returns on failure.
run_tsan() {
  local launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$tsan_build" -G Ninja -DVANTORY_SANITIZE=thread -DVANTORY_BUILD_GUI=OFF \
    -DVANTORY_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null || return 1
  # Only the executables of the chosen suites (each test is named after its executable),
  # and the run-time loaded filter library they need beside them.
  local suites=()
  mapfile -t suites < <(ctest --test-dir "$tsan_build" -N -R "$tsan_suites" -E "$tsan_exclude" | awk '/Test +#/ {print $3}')
  if [ ${#suites[@]} -eq 0 ]; then
    echo "ci-extra: no suite matches $tsan_suites" >&2
    return 1
  fi
  cmake --build "$tsan_build" -j "$(nproc)" --target "${suites[@]}" mvsdk_shared || return 1
  step "ThreadSanitizer run of ${#suites[@]} suites"
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp ${TSAN_OPTIONS:-}"
  local log="$tsan_build/Testing/Temporary/LastTest.log"
  if ctest --test-dir "$tsan_build" -j2 -R "$tsan_suites" -E "$tsan_exclude" --output-on-failure; then
    return 0
  fi
  # A race report fails the step at once. A suite that failed without one failed on time:
  # the sanitizer slows every thread several times, and end-to-end suites wait on real
  # sockets with bounded waits. Those suites get one more run, and must pass it cleanly.
  if grep -q "WARNING: ThreadSanitizer" "$log"; then
    echo "ci-extra: ThreadSanitizer reported a race" >&2
    return 1
  fi
  step "ThreadSanitizer: the suites that failed without a race report, once more"
  ctest --test-dir "$tsan_build" --rerun-failed --output-on-failure || return 1
  if grep -q "WARNING: ThreadSanitizer" "$log"; then
    echo "ci-extra: ThreadSanitizer reported a race" >&2
    return 1
  fi
}
step "ThreadSanitizer build"
run_tsan || tsan_status=$?

step "done: fuzz $([ $fuzz_status -eq 0 ] && echo passed || echo FAILED), ThreadSanitizer $([ $tsan_status -eq 0 ] && echo passed || echo FAILED)"
[ $fuzz_status -eq 0 ] && [ $tsan_status -eq 0 ]
