#!/usr/bin/env bash
# Checks that a Windows executable imports only DLLs every Windows system has
# and that it is a windowed (GUI subsystem) program, so it starts without a
# console window.
set -euo pipefail
exe=$1
dump=$(x86_64-w64-mingw32-objdump -p "$exe")
allowed='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|setupapi|shell32|user32|ole32|cfgmgr32)\.dll$'
status=0
while read -r dll; do
  lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
  if [[ $lower =~ $allowed ]]; then
    echo "import: $dll"
  else
    echo "import: $dll is not a system DLL" >&2
    status=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
if ! grep -q 'Subsystem.*(Windows GUI)' <<<"$dump"; then
  echo "$exe is not a windowed program" >&2
  status=1
fi
exit $status
