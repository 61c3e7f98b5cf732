#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-fuzz/ and runs each for SECONDS (default 60), FUZZ_JOBS at a time (default 2).
# Seeds come from tests/fuzz/corpus/<target>/; what a run adds to the corpus stays in
# build-fuzz/corpus/<target>/. An input that breaks a target is written to
# build-fuzz/artifacts/<target>/: add it to the seed folder once the fault is mended.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
shift || true
jobs=${FUZZ_JOBS:-2}

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTORY_FUZZ=ON -DVANTORY_BUILD_TESTS=OFF -DVANTORY_BUILD_GUI=OFF -DVANTORY_BUILD_BENCH=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target vantory_fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$root"/tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

run_one() {
  local target=$1 work="$build/corpus/$1" artifacts="$build/artifacts/$1/"
  mkdir -p "$work" "$artifacts"
  # -rss_limit_mb: the targets cap their own allocations far below this. -close_fd_mask=1
  # silences what the code under test prints on standard output (the fuzzer reports on
  # standard error).
  if "$build/bin/$target" "$work" "$root/tests/fuzz/corpus/$target" \
      -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=1024 -close_fd_mask=1 \
      -artifact_prefix="$artifacts" >"$build/$target.log" 2>&1; then
    echo "$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$target.log" | tail -n 1 | grep -o '[0-9]*$') runs, no failure"
  else
    echo "$target: FAILED (see $build/$target.log and $artifacts)"
    tail -n 30 "$build/$target.log"
    return 1
  fi
}

failed=0
pids=()
for target in "${targets[@]}"; do
  run_one "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit $failed
