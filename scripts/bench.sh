#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ (or $VANTORY_BENCH_DIR) and runs every
# benchmark program in its bin/ whose name starts with bench_, on one thread.
# Usage: scripts/bench.sh [bench_name ...]   (default: all of them)
# Extra Google Benchmark flags can be passed through $VANTORY_BENCH_ARGS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTORY_BENCH_DIR:-$root/build-bench}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVANTORY_BUILD_TESTS=OFF -DVANTORY_BUILD_BENCH=ON >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(ninja -C "$build" -t targets all | sed -n 's/^\(bench_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "bench: no benchmark targets found" >&2
  exit 1
fi
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

export OMP_NUM_THREADS=1
status=0
for program in "$build"/bin/bench_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  if [ $# -gt 0 ] && [[ ! " $* " == *" $name "* ]]; then continue; fi
  echo "== $name"
  # shellcheck disable=SC2086
  "$program" ${VANTORY_BENCH_ARGS:-} || status=1
done
exit $status
