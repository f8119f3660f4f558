#!/usr/bin/env bash
# Runs the benchmarks and writes their figures under an output folder:
#
#   scripts/bench.sh [output-folder]      (default build/bench-report)
#
# Each section builds what it needs, runs, and leaves its figures in the
# folder as text and JSON; a failed section is reported and the others still
# run. Benchmarks print figures and never judge them.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

out=${1:-build/bench-report}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# Host benchmarks on the fakes. They run from an optimised build of the host
# preset in its own tree, so the debug tree of the unit tests stays as it is.
bench_host() {
  local build=build/bench-host
  local log=$out/host-build.log
  echo "== host benchmarks (fake platform, Release)"
  cmake --preset host -B "$build" -DCMAKE_BUILD_TYPE=Release -DMOUNTWICK_BENCH=ON >"$log" 2>&1 &&
    cmake --build "$build" --target mountwick_benchmarks -j2 >>"$log" 2>&1 || {
    echo "bench: building the host benchmarks failed (see $log)"
    return 1
  }
  {
    # Debian's libbenchmark calls itself a DEBUG build (it keeps its
    # assertions); the code measured here is optimised all the same.
    echo "# mountwick: Release build on the fake platform; $(date -u +%FT%TZ)"
    "$build/bench/mountwick_benchmarks" --benchmark_counters_tabular=true \
      --benchmark_out="$out/host.json" --benchmark_out_format=json 2>&1
  } | tee "$out/host.txt"
  return "${PIPESTATUS[0]}"
}

failed=0
bench_host || failed=1
echo "bench: figures in $out"
exit $failed
