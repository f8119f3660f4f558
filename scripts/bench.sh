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

# The real Mountwick.exe under Wine, on a private prefix and Xvfb: arrival to
# program start with 1, 100 and 1,000 Actions beside the CreateProcess floor,
# the settings dialog's Register, idle CPU, private bytes after start and over
# a soak of arrivals beside a bare tray-window program, and the sizes on disk.
bench_wine() {
  local log=$out/wine-build.log
  echo "== Wine benchmarks (Mountwick.exe, Release)"
  cmake --preset win64 >"$log" 2>&1 &&
    cmake --build --preset win64 --target Mountwick arrival_bench bench_child tray_floor >>"$log" 2>&1 || {
    echo "bench: building the Windows benchmarks failed (see $log)"
    return 1
  }
  local bin=$root/build/win64/bin
  (
    source scripts/wine-env.sh
    wine_env_start "$root/build/bench-wine"
    trap wine_env_stop EXIT
    cd "$bin"
    {
      echo "# mountwick under Wine: $(wine --version); $(date -u +%FT%TZ)"
      # Into a file, not a pipe: a registry export that Mountwick started may
      # outlive the benchmark holding the inherited output open, and a pipe
      # would then never end.
      wine arrival_bench.exe "${MOUNTWICK_BENCH_ARRIVALS:-60}" "${MOUNTWICK_BENCH_IDLE_S:-60}" \
        "${MOUNTWICK_BENCH_SOAK:-300}" "${MOUNTWICK_BENCH_SOAK_LONG:-900}" >"$out/wine-raw.txt"
      tr -d '\r' <"$out/wine-raw.txt"
      echo "size_bytes Mountwick.exe $(stat -c %s Mountwick.exe)"
      local dll
      for dll in $(x86_64-w64-mingw32-objdump -p Mountwick.exe | sed -n 's/^\s*DLL Name: //p'); do
        local file
        file=$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll" | head -n 1)
        echo "size_bytes $dll ${file:+$(stat -c %s "$file")} (Wine's own build)"
      done
    } | tee "$out/wine.txt"
  ) || return 1
  scripts/bench-chart.py "$out/wine.txt" "$out/arrival-latency.png" &&
    echo "bench: chart $out/arrival-latency.png"
}

failed=0
bench_host || failed=1
bench_wine || failed=1
echo "bench: figures in $out"
exit $failed
