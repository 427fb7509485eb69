#!/usr/bin/env bash
# Runs e2e_tests.exe (beside corvane.exe in BIN) under Wine in a fresh prefix
# on a virtual X display, keeps the screenshots as PNG files in WORK, and ends
# everything it started. Extra arguments go to the test program; E2E_PROGRAM
# names another driver beside it (the purge benchmark's); E2E_TIMEOUT the
# seconds it may take (default 600); E2E_DPI the display scale in dots per
# inch (96 is 100%, 144 150%, 192 200%), which the test program is told as
# CORVANE_E2E_DPI.
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
# A screen as large at that scale as 1024 x 768 is at 100%.
[ -n "${E2E_DPI:-}" ] && export WINE_SCREEN="$((1024 * E2E_DPI / 96))x$((768 * E2E_DPI / 96))"
source "$(dirname "$0")/../../scripts/wine_session.sh"
if [ -n "${E2E_DPI:-}" ]; then
  # Wine 8 takes the scale from HKCU\Control Panel\Desktop\LogPixels, before
  # HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts,
  # when its session starts: the one that starts after this.
  timeout 120 "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$E2E_DPI" /f >/dev/null 2>&1
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1
  export CORVANE_E2E_DPI=$E2E_DPI
fi
mkdir -p "$work/screenshots"
rm -rf "$work/screenshots"/*

shots=$(WINEDEBUG=-all timeout 30 "$WINE" winepath -w "$work/screenshots" 2>/dev/null | tr -d '\r')
CORVANE_SCREENSHOTS="$shots" timeout "${E2E_TIMEOUT:-600}" "$WINE" "$bin/${E2E_PROGRAM:-e2e_tests.exe}" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)'
status=${PIPESTATUS[0]}
for bmp in "$work/screenshots"/*.bmp; do
  [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screenshots: $work/screenshots"
exit "$status"
