#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a floor above its own, or
# of another folder on its own floor: the README's layout, checked on every
# test run. Bare names ("resource.h") are the resources and count as ground.
set -uo pipefail
cd "$(dirname "$0")/.."

declare -A floor=([app]=5 [ui]=4 [engine]=3 [devices]=2 [store]=2 [notices]=1 [model]=0 [platform]=0)
status=0
while IFS=: read -r file line include; do
  from=${file#src/}
  from=${from%%/*}
  to=${include%%/*}
  [[ $include == */* ]] || continue
  if [[ -z ${floor[$from]:-} || -z ${floor[$to]:-} ]]; then
    echo "floors: $file:$line includes \"$include\", which is on no floor" >&2
    status=1
  elif ((floor[$to] > floor[$from])) || [[ $to != "$from" && ${floor[$to]} == "${floor[$from]}" ]]; then
    echo "floors: $file:$line: $from/ (floor ${floor[$from]}) includes \"$include\" (floor ${floor[$to]})" >&2
    status=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' src |
  sed -E 's/^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1:\2:\3/')
((status == 0)) && echo "floors: every include of src/ runs down or stays in its folder"
exit $status
