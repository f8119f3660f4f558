# Sourced by the scripts: a private Wine prefix and X display for one run.
#   wine_env_start DIR   creates the prefix under DIR and starts Xvfb
#   wine_env_stop        stops that prefix's wineserver and that Xvfb
# Nothing here touches another prefix or display.

wine_env_start() {
  local base=$1
  mkdir -p "$base"
  export WINEPREFIX="$base/prefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

  local display=90
  while [[ -e /tmp/.X${display}-lock || -e /tmp/.X11-unix/X${display} ]]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$base/xvfb.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do
    [[ -e /tmp/.X11-unix/X${display} ]] && break
    sleep 0.1
  done

  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    wineboot -i >"$base/wineboot.log" 2>&1 || true
  fi
  # A crash must end the process, not open a debugger that hangs the run.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # No window manager runs on Xvfb: Wine then draws the captions itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Drive E: for tests of the new-drive checks: a folder with a label and a DCIM folder.
  mkdir -p "$base/drive-e/DCIM"
  printf 'Photos' >"$base/drive-e/.windows-label"
  ln -sfn "$base/drive-e" "$WINEPREFIX/dosdevices/e:"
  # Drive R: for the drive-to-disk steps: a floppy to Wine, so removable, on disk 1.
  mkdir -p "$base/drive-r"
  ln -sfn "$base/drive-r" "$WINEPREFIX/dosdevices/r:"
  wine reg add 'HKLM\Software\Wine\Drives' /v r: /d floppy /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  export MOUNTWICK_WINE_READY=1
}

wine_env_stop() {
  if [[ -n ${WINEPREFIX:-} ]]; then
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  fi
  if [[ -n ${WINE_ENV_XVFB_PID:-} ]]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    unset WINE_ENV_XVFB_PID
  fi
}
