#!/usr/bin/env bash
# Runs the benchmarks and writes their figures under an output folder:
#
#   scripts/bench.sh [output-folder]      (default build/bench-report)
#
# Each section builds what it needs, runs, and leaves its figures in the
# folder as text and JSON; a failed section is reported and the others still
# run. Benchmarks print figures and never judge them.
#
# The environment chooses what runs and how long:
#   MOUNTWICK_BENCH_SECTIONS  "all" (the default), or a comma-separated list of
#       host (the fake-platform benchmarks) and the Wine sections: volume (a
#       drive's arrival with 1, 100 and 1,000 Actions, steady and right after a
#       change of the settings), log (the activity log on and off), usb (a new
#       USB device with 0, 50 and 200 others attached, told by its interface and
#       the list's change, and a drive's arrival in the same rhythm), burst (the same device
#       amid 30 device-list broadcasts, and the window's longest answer meanwhile),
#       register (the settings dialog's Register) and memory (private bytes,
#       idle CPU, the soak); "arrivals" stands for volume,log,usb,burst. The
#       Wine run always takes the CreateProcess floor first.
#   MOUNTWICK_BENCH_ARRIVALS  samples per series (60)
#   MOUNTWICK_BENCH_IDLE_S, MOUNTWICK_BENCH_SOAK, MOUNTWICK_BENCH_SOAK_LONG
#       the memory section's idle seconds (60) and soak arrivals (300, 900)
# The arrival sections alone, quickly:
#   MOUNTWICK_BENCH_SECTIONS=arrivals MOUNTWICK_BENCH_ARRIVALS=20 scripts/bench.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

out=${1:-build/bench-report}
mkdir -p "$out"
out=$(cd "$out" && pwd)
sections=${MOUNTWICK_BENCH_SECTIONS:-all}

# Whether the host benchmarks are chosen, and whether any Wine section is.
wants_host() { [[ $sections == all || ,$sections, == *,host,* ]]; }
wants_wine() { [[ $sections != host ]]; }

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
# program start beside the CreateProcess floor (a drive with 1, 100 and 1,000
# Actions, after a change of the settings, a new USB device among others and
# amid a burst of broadcasts), the window's answers during that burst, the
# settings dialog's Register, idle CPU, private bytes after start and over a
# soak of arrivals beside a bare tray-window program, and the sizes on disk.
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
        "${MOUNTWICK_BENCH_SOAK:-300}" "${MOUNTWICK_BENCH_SOAK_LONG:-900}" "$sections" \
        >"$out/wine-raw.txt"
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
if wants_host; then bench_host || failed=1; fi
if wants_wine; then bench_wine || failed=1; fi
echo "bench: figures in $out"
exit $failed
