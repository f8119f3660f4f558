#!/usr/bin/env bash
# Sets up what is missing, builds Mountwick.exe and starts it under Wine.
# With a display, Mountwick runs there (tray icon; "/S" opens the settings);
# arguments are passed on. Without one, a short demonstration of the promise
# runs on a private Xvfb: a fake USB stick arrives, its Action's batch file
# hands a program on, and the stick's removal is asked for once, only after that
# program has ended; the activity log tells it, and the picture shows the log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
mkdir -p build
if ! { cmake --preset win64 >build/build-win64.log 2>&1 &&
  cmake --build --preset win64 --target Mountwick record_args send_device_change usb_device_tool >>build/build-win64.log 2>&1; }; then
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

record_unix="$demo/received.txt"
record_win=$(winepath -w "$record_unix" 2>/dev/null)
child_win=$(winepath -w "$bin/record_args.exe" 2>/dev/null)
batch_win=$(winepath -w "$demo/handoff.bat" 2>/dev/null)
# The batch file starts the program and ends at once, as launchers do.
printf '@start "" "%s" demo --sleep-ms=3000\r\n' "$child_win" >"$demo/handoff.bat"

stick='USB\VID_DE30&PID_0001'
key='HKCU\software\Quillory\Mountwick\1.0\Actions'
add() { wine reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
add 0_Name "Demo"
add 0_State 0
add 0_HardwareID "$stick"
add 0_ExeFile "$batch_win"
add 0_Eject 1
export MW_RECORD_FILE="$record_win"

cd "$bin"
wine Mountwick.exe >/dev/null 2>&1 &
wine send_device_change.exe nodes >/dev/null 2>&1 # returns once the window is there
echo "run: Mountwick started; the demo stick arrives"
wine usb_device_tool.exe add 'ROOT\MWDEMO\0000' --hwid "$stick" --friendly 'Demo Stick' \
  --service USBSTOR >/dev/null 2>&1
wine send_device_change.exe nodes >/dev/null 2>&1

log=""
for _ in $(seq 300); do
  log=$(find "$WINEPREFIX/drive_c/users" -path '*Mountwick/activity.log' 2>/dev/null | head -1)
  [[ -n $log ]] && grep -q '取り外しを終えました' "$log" && break
  sleep 0.1
done
if [[ -z $log ]] || ! grep -q '取り外しを終えました' "$log"; then
  echo "run: the removal was not asked for within 30 s" >&2
  exit 1
fi
echo "run: the activity log says:"
sed -e 's/^\xEF\xBB\xBF//' -e 's/\r$//' -e 's/^/  /' "$log"
echo "run: the program's own record of its end: $(grep ended "$record_unix" | tr -d '\r')"
wine Mountwick.exe /LOG >/dev/null 2>&1 &
sleep 3
shot="$root/build/demo/screenshot.png"
import -window root "$shot" 2>/dev/null || true
echo "run: screenshot of the activity log: $shot"
