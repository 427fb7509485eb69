#!/usr/bin/env bash
# Runs e2e_tests.exe (beside corvane.exe in BIN) under Wine in a fresh prefix
# on a virtual X display, keeps the screenshots as PNG files in WORK, and ends
# everything it started. Extra arguments go to the test program; E2E_PROGRAM
# names another driver beside it (the purge benchmark's).
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
mkdir -p "$work/screenshots"
rm -rf "$work/prefix" "$work/screenshots"/*
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  timeout 20 "$wineserver" -k >/dev/null 2>&1
  kill "$xvfb" >/dev/null 2>&1
  wait "$xvfb" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# Wine draws its own window frames, so screenshots show captions without a window manager.
timeout 120 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
timeout 120 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1

shots=$(WINEDEBUG=-all timeout 30 "$wine" winepath -w "$work/screenshots" 2>/dev/null | tr -d '\r')
CORVANE_SCREENSHOTS="$shots" timeout 600 "$wine" "$bin/${E2E_PROGRAM:-e2e_tests.exe}" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)'
status=${PIPESTATUS[0]}
for bmp in "$work/screenshots"/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screenshots: $work/screenshots"
exit "$status"
