#!/usr/bin/env bash
# Storms the dispatcher and its runners with random events for the given
# minutes (default 5), checking every sequence against the promise's model:
#
#   scripts/storm.sh [minutes] [preset...]      (presets: host, asan, tsan; default host)
#
# Each preset's build storms for the whole time, side by side with the others
# (the machine's cores are shared). A broken sequence is printed with its seed,
# shrunk, with the program's log; MOUNTWICK_STORM_SEED=N replays it alone.
set -uo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-5}
shift $(($# > 0 ? 1 : 0))
presets=("$@")
((${#presets[@]})) || presets=(host)

scripts/setup.sh >/dev/null || exit 1
mkdir -p build
for preset in "${presets[@]}"; do
  log=build/build-$preset.log
  cmake --preset "$preset" >"$log" 2>&1 && cmake --build --preset "$preset" --target mountwick_unit_tests >>"$log" 2>&1 || {
    echo "storm: building $preset failed (see $log)"
    exit 1
  }
done

failed=0
pids=()
for preset in "${presets[@]}"; do
  MOUNTWICK_STORM_SECONDS=$((minutes * 60)) "build/$preset/mountwick_unit_tests" \
    --gtest_filter='Storm.*' --gtest_brief=1 >"build/storm-$preset.txt" 2>&1 &
  pids+=($!)
done
for i in "${!presets[@]}"; do
  wait "${pids[$i]}" || failed=1
  echo "== storm ${presets[$i]}"
  iconv -f CP932 -t UTF-8 -c "build/storm-${presets[$i]}.txt" | grep -v '^\[' | head -200
done
exit $failed
