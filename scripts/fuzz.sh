#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: clang, ASan, UBSan) and runs each
# for the given number of seconds (default 5) on its seed corpus.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]
#
# New inputs go to a scratch folder, never into fuzz/corpus; set
# MOUNTWICK_FUZZ_WORK to a folder to keep them between runs. A crash, leak,
# sanitizer report, broken invariant or hang is a finding: its input is kept
# under build/fuzz/findings/<target>/ and the script exits non-zero.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-5}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
((${#targets[@]})) || targets=(launcher device_property registry_value notice_format device_change)

build_fuzzers() {
  # clang alone lacks libFuzzer's runtime on Debian; it is a package of its own.
  if [[ ! -f $(clang -print-resource-dir 2>/dev/null)/lib/linux/libclang_rt.fuzzer-x86_64.a ]]; then
    echo "fuzz: clang's libFuzzer runtime is missing (Debian 12: libclang-rt-14-dev)"
    return 1
  fi
  mkdir -p build
  local log=build/build-fuzz.log
  # Runs started side by side share one build tree.
  (
    flock 9
    cmake --preset fuzz >"$log" 2>&1 && cmake --build --preset fuzz --target mountwick_fuzzers >>"$log" 2>&1
  ) 9>build/fuzz.lock || {
    echo "fuzz: building the fuzz targets failed:"
    grep -E 'error|Error' "$log" | head -40
    return 1
  }
}

# run_target NAME: one target for $seconds; prints its executions and result.
run_target() {
  local name=$1
  local binary=build/fuzz/fuzz/fuzz_$name
  local work=$scratch/$name
  local findings=build/fuzz/findings/$name
  local log=$scratch/$name.log
  mkdir -p "$work" "$findings"
  "$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "fuzz/corpus/$name" >"$log" 2>&1
  local status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if ((status == 0)); then
    printf 'fuzz: %-16s %8s runs in %ss, no finding\n' "$name" "${runs:-?}" "$seconds"
    return 0
  fi
  echo "fuzz: $name found a fault (exit $status); input kept in $findings/"
  grep -E -A 12 '^==[0-9]+==ERROR|runtime error|invariant broken|Test unit written' "$log" | head -40
  return 1
}

build_fuzzers || exit 1
if [[ -n ${MOUNTWICK_FUZZ_WORK:-} ]]; then
  scratch=$MOUNTWICK_FUZZ_WORK
  mkdir -p "$scratch"
else
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
fi

failed=0
for name in "${targets[@]}"; do
  run_target "$name" || failed=1
done
exit $failed
