#!/usr/bin/env bash
# Sets up what is missing, checks that every include runs down the floors of the
# layout, builds every preset and runs every test: host unit
# tests (plain, with ASan/UBSan, with TSan), then the Windows tests under Wine
# in a private prefix with its own Xvfb, which are stopped afterwards.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh || exit 1

werror=()
[[ -n ${CI:-} ]] && werror=(-DMOUNTWICK_WERROR=ON)

failed=0
echo "== floors"
scripts/check-floors.sh || failed=1

build() {
  local preset=$1
  local log="build/build-$preset.log"
  cmake --preset "$preset" "${werror[@]}" >"$log" 2>&1 &&
    cmake --build --preset "$preset" >>"$log" 2>&1 || {
    echo "test: building $preset failed:"
    grep -E 'error|Error' "$log" | head -40
    return 1
  }
}
mkdir -p build
for preset in host asan tsan win64; do
  echo "== build $preset"
  build "$preset" || failed=1
done

for preset in host asan tsan; do
  echo "== test $preset"
  ctest --preset "$preset" || failed=1
done

# Each libFuzzer target a few seconds on its seeds; scripts/fuzz.sh runs them longer.
echo "== fuzz"
scripts/fuzz.sh 5 || failed=1

echo "== test win64 (Wine)"
source scripts/wine-env.sh
wine_env_start "$root/build/wine"
trap wine_env_stop EXIT
ctest --preset win64 || failed=1
wine_env_stop
trap - EXIT

exit $failed
