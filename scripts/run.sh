#!/usr/bin/env bash
# Sets up what is missing, builds Mountwick.exe and starts it under Wine.
# With a display, Mountwick runs there (tray icon; "/S" opens the settings);
# arguments are passed on. Without one, a short demonstration of the main job
# runs on a private Xvfb: an Action on the generic drive entry, a demo drive
# E: that appears, and the command line the started program received.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
mkdir -p build
if ! { cmake --preset win64 >build/build-win64.log 2>&1 &&
  cmake --build --preset win64 --target Mountwick record_args send_device_change >>build/build-win64.log 2>&1; }; then
  echo "run: the build failed; see build/build-win64.log" >&2
  exit 1
fi
cmake --build --preset win64 --target help_file >>build/build-win64.log 2>&1 || true
bin="$root/build/win64/bin"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX=${WINEPREFIX:-$root/build/wine-run/prefix} WINEDEBUG=-all LANG=ja_JP.UTF-8
  [[ -f "$WINEPREFIX/system.reg" ]] || wineboot -i >/dev/null 2>&1
  cd "$bin"
  echo "run: Mountwick is in the notification area; quit it from its menu (Alt+X)."
  exec wine Mountwick.exe "$@"
fi

echo "run: no display; running the demonstration on a private Xvfb"
source scripts/wine-env.sh
demo="$root/build/demo"
rm -rf "$demo"
wine_env_start "$demo"
trap wine_env_stop EXIT

# The demo drive E: is a folder labelled DEMO.
mkdir -p "$demo/drive-e/DCIM"
printf 'DEMO' >"$demo/drive-e/.windows-label"
ln -sfn "$demo/drive-e" "$WINEPREFIX/dosdevices/e:"

record_unix="$demo/received.txt"
record_win=$(winepath -w "$record_unix" 2>/dev/null)
child_win=$(winepath -w "$bin/record_args.exe" 2>/dev/null)
key='HKCU\software\Quillory\Mountwick\1.0\Actions'
add() { wine reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
add 0_Name "Demo"
add 0_State 0
add 0_HardwareID 'MESSAGE://DBT_DEVICEARRIVAL/VOLUME'
add 0_ExeFile "$child_win %_newdrv_%:\\DCIM"
add 0_Eject 0
export MW_RECORD_FILE="$record_win"

cd "$bin"
wine Mountwick.exe >/dev/null 2>&1 &
echo "run: Mountwick started; drive E: appears"
wine send_device_change.exe volume E
for _ in $(seq 100); do
  [[ -s "$record_unix" ]] && break
  sleep 0.1
done
shot="$root/build/demo/screenshot.png"
import -window root "$shot" 2>/dev/null || true
if [[ -s "$record_unix" ]]; then
  echo "run: the started program received: $(cut -d'|' -f2- "$record_unix" | cut -f1 | tr -d '\r')"
else
  echo "run: no program was started" >&2
  exit 1
fi
echo "run: screenshot: $shot"
