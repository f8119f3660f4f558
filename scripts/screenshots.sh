#!/usr/bin/env bash
# Remakes the README's pictures of the settings dialogs under Wine on a
# private Xvfb and prefix:
#   docs/screenshots/settings-dialog.png    the settings dialog, an Action selected
#   docs/screenshots/extended-settings.png  that Action's extended settings
#   docs/screenshots/activity-log.png       the activity log after typical events
#   docs/screenshots/tray-tip.png           the tray's tip while a run waits for its program
# Needs what scripts/setup.sh installs (Wine, MinGW-w64, Xvfb, ImageMagick, fonts).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mkdir -p build
if ! { cmake --preset win64 >build/build-screenshots.log 2>&1 &&
  cmake --build --preset win64 --target Mountwick screenshot_driver usb_device_tool send_device_change record_args >>build/build-screenshots.log 2>&1; }; then
  echo "screenshots: the build failed; see build/build-screenshots.log" >&2
  exit 1
fi
bin="$root/build/win64/bin"
out="$root/docs/screenshots"
mkdir -p "$out"

source scripts/wine-env.sh
base="$root/build/screenshots"
rm -rf "$base"
wine_env_start "$base"
trap wine_env_stop EXIT
# The dialogs ask for "ＭＳ Ｐゴシック". IPAPGothic has its metrics, so every
# label is laid out as on Windows and none is cut.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f \
  >/dev/null 2>&1

key='HKCU\software\Quillory\Mountwick\1.0\Actions'
add() { wine reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
# An enabled Action on the generic drive entry with its checks switched on,
# and a disabled one on the media entry.
add 0_Name '写真の取り込み'
add 0_State 0
add 0_HardwareID 'MESSAGE://DBT_DEVICEARRIVAL/VOLUME'
add 0_ExeFile '"C:\Program Files\PhotoImport\import.exe" /from %_newdrv_%:\DCIM'
add 0_Eject 0
add 0_Ex_RunWaitChk 1
add 0_Ex_RunWait 1500
add 0_Ex_RunVolumeChk 1
add 0_Ex_RunVolume CAMERA
add 0_Ex_RunPathChk 1
add 0_Ex_RunPath DCIM
add 1_Name 'バックアップ'
add 1_State 1
add 1_HardwareID 'MESSAGE://DBT_DEVICEARRIVAL/MEDIA'
add 1_ExeFile 'C:\Tools\backup.bat %_newdrv_%'
add 1_Eject 0

# One shot: start Mountwick with its settings open, let the driver set the
# scene, and cut the window it names out of the screen.
shoot() {
  local scene=$1 file=$2 rect
  mkdir -p "$base/work"
  (cd "$base/work" && wine "$bin/Mountwick.exe" /S >/dev/null 2>&1 &)
  if ! rect=$(wine "$bin/screenshot_driver.exe" "$scene" 2>"$base/driver.log" | tr -d '\r'); then
    echo "screenshots: $scene: $(cat "$base/driver.log")" >&2
    exit 1
  fi
  read -r left top width height <<<"$rect"
  sleep 1  # the last paint
  import -window root "$base/screen.png"
  convert "$base/screen.png" -crop "${width}x${height}+${left}+${top}" +repage "$out/$file"
  echo "screenshots: $out/$file (${width}x${height})"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

shoot settings settings-dialog.png
shoot extended extended-settings.png

# The activity log after typical events, as Notepad shows it: a camera plugged
# in, its program run and the camera removed; a drive whose label does not
# match; a disabled Action; a network drive passed over.
add 2_Name 'カメラの写真'
add 2_State 0
add 2_HardwareID 'USB\VID_04A9&PID_31EF'
add 2_ExeFile 'C:\windows\system32\cmd.exe /c exit 0'
add 2_Eject 1
add 2_Ex_RmvRetryChk 1
add 2_Ex_RmvRetryCount 2
notepad='HKCU\Software\Microsoft\Notepad'
for setting in iWindowPosX:0 iWindowPosY:0 iWindowPosDX:1180 iWindowPosDY:400 fWrap:0; do
  wine reg add "$notepad" /v "${setting%%:*}" /t REG_DWORD /d "${setting#*:}" /f >/dev/null 2>&1
done
(cd "$base/work" && wine "$bin/Mountwick.exe" >/dev/null 2>&1 &)
sleep 3
wine "$bin/usb_device_tool.exe" add 'ROOT\MWCAMERA\0000' --hwid 'USB\VID_04A9&PID_31EF' \
  --friendly 'デジタルカメラ' --service USBSTOR >/dev/null
wine "$bin/send_device_change.exe" nodes
sleep 2
wine "$bin/send_device_change.exe" volume C
wine "$bin/send_device_change.exe" volume Z net
sleep 3
wine "$bin/Mountwick.exe" /LOG
window=
for _ in $(seq 50); do
  window=$(xwininfo -root -tree | grep -m1 'activity.log' | awk '{print $1}') && [[ -n $window ]] && break
  sleep 0.2
done
if [[ -z $window ]]; then
  echo "screenshots: Notepad did not show the activity log" >&2
  exit 1
fi
sleep 1  # the last paint
import -window "$window" "$out/activity-log.png"
echo "screenshots: $out/activity-log.png"

# The tray's tip while an Action with automatic removal waits for its program.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wine reg delete 'HKCU\software\Quillory' /f >/dev/null 2>&1
add 0_Name '写真の取り込み'
add 0_State 0
add 0_HardwareID 'MESSAGE://DBT_DEVICEARRIVAL/VOLUME'
add 0_ExeFile "$(winepath -w "$bin/record_args.exe") --sleep-ms=60000"
add 0_Eject 1
(cd "$base/work" && wine "$bin/Mountwick.exe" >/dev/null 2>&1 &)
sleep 3
wine "$bin/send_device_change.exe" volume C
sleep 2
if ! rect=$(wine "$bin/screenshot_driver.exe" tip 2>"$base/driver.log" | tr -d '\r'); then
  echo "screenshots: tip: $(cat "$base/driver.log")" >&2
  exit 1
fi
read -r left top width height <<<"$rect"
import -window root "$base/screen.png"
convert "$base/screen.png" -crop "${width}x${height}+${left}+${top}" +repage "$out/tray-tip.png"
echo "screenshots: $out/tray-tip.png (${width}x${height})"
