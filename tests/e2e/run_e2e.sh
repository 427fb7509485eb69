#!/usr/bin/env bash
# Runs e2e_tests.exe (beside corvane.exe in BIN) under Wine in a fresh prefix
# on a virtual X display, keeps the screenshots as PNG files in WORK, and ends
# everything it started. Extra arguments go to the test program; E2E_PROGRAM
# names another driver beside it (the purge benchmark's); E2E_TIMEOUT the
# seconds it may take (default 600).
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
source "$(dirname "$0")/../../scripts/wine_session.sh"
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
