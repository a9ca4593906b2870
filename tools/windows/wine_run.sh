#!/usr/bin/env bash
# Runs a Windows program of the Windows build under Wine, as the build and ctest do for every
# .exe (CMAKE_CROSSCOMPILING_EMULATOR). The Wine prefix is the build tree's own, made on first
# use; the Qt and MinGW run-time DLLs are found through WINEPATH, the Qt plug-ins beside Qt's DLLs.
# Usage: wine_run.sh PROGRAM.exe [ARGUMENTS...]
# Environment: VELMORA_WINE_PREFIX (the prefix), VELMORA_WINE_DLL_DIRS (Linux folders, ':'-separated),
# VELMORA_WINE_OWN_DISPLAY=1 to run the program on an X server of its own (Xvfb): Qt's Windows
# platform draws through Wine's X driver, and Qt's offscreen platform has no fonts on Windows.
# VELMORA_WINE_DPI=N runs it with Windows set to N dots per inch (144 is 150 %), in a prefix of
# its own beside the first.
set -euo pipefail

: "${VELMORA_WINE_PREFIX:?the Wine prefix to run in}"
export WINEPREFIX=$VELMORA_WINE_PREFIX${VELMORA_WINE_DPI:+-$VELMORA_WINE_DPI-dpi}
export WINEDEBUG=${WINEDEBUG:--all}
# No network here: a new prefix must not offer to download Mono or Gecko; and Wine writes no
# menu entries into $HOME.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
# Qt's messages (and QtTest's results) go to stderr and stdout, not to the debugger's channel.
export QT_FORCE_STDERR_LOGGING=1
# Wine keeps the QT_ variables of Linux's Qt away from Windows programs, and passes on a
# WINEQT_ variable under its QT_ name instead.
while IFS='=' read -r name _; do
  export "WINE$name=${!name}"
done < <(env | grep -E '^QT_[A-Za-z0-9_]*=')

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
path=""
IFS=: read -r -a dll_dirs <<<"${VELMORA_WINE_DLL_DIRS:-}"
for dir in "${dll_dirs[@]}"; do
  [ -n "$dir" ] && path+="${path:+;}$(windows_path "$dir")"
done
export WINEPATH=$path

# Several programs may start at once in a fresh build; the prefix is made by one of them, with
# the fonts a Windows machine has.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  [ -f "$WINEPREFIX/velmora-prefix.stamp" ] || "$(dirname "$0")/make_wine_prefix.sh"
  if [ -n "${VELMORA_WINE_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$VELMORA_WINE_DPI" /f >/dev/null 2>&1
    wineserver --wait
  fi
) 9>"$WINEPREFIX.lock"

if [ "${VELMORA_WINE_OWN_DISPLAY:-0}" = 1 ]; then
  # With a window manager, as on a desktop: without one Wine waits some 2 s for each new window.
  display_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_dir/display" \
    2>/dev/null &
  xvfb_pid=$!
  wm_pid=""
  trap 'kill $wm_pid $xvfb_pid 2>/dev/null; rm -rf "$display_dir"' EXIT
  for _ in $(seq 100); do
    [ -s "$display_dir/display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$display_dir/display")"
  XDG_CONFIG_HOME="$display_dir" XDG_CACHE_HOME="$display_dir" openbox --sm-disable \
    >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  status=0
  wine "$@" || status=$?
  # Wine's own processes (the desktop among them) hold this X server: they end with it, not
  # with a later program's server.
  wineserver --kill 2>/dev/null || true
  exit $status
fi
exec wine "$@"
