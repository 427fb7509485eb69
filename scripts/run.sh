#!/usr/bin/env bash
# Builds corvane.exe and starts it: under Wine on Linux (in a Wine prefix
# inside the build tree), on a virtual X display when DISPLAY is unset.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target corvane cvblock corvane_help corvane_sounds
export WINEPREFIX="$top/build/win64/wineprefix" WINEDEBUG=-all
if [ -z "${DISPLAY:-}" ]; then
  display=80
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  export DISPLAY=":$display"
  echo "No display: Corvane runs on the virtual display $DISPLAY (Xvfb, pid $!)."
  sleep 1
fi
/usr/lib/wine/wine64 "$top/build/win64/bin/corvane.exe" >/dev/null 2>&1 &
echo "corvane.exe is running under Wine (prefix $WINEPREFIX, display $DISPLAY)."
echo "It shows its splash, then lives in the tray. To end it: WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k"
