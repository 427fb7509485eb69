#!/usr/bin/env bash
# Runs commandline_e2e.exe under Wine in a fresh prefix, with no display,
# from a folder in WORK that holds copies of corvane.exe and corvane.com (so
# that the keep-list beside them is made there). The last real report is
# kept as WORK/last-run.txt. Extra arguments go to the test program. Ends the
# prefix's processes when done.
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
rm -rf "$work"
source "$(dirname "$0")/../../../scripts/wine_prefix.sh"
export LC_ALL=C.UTF-8
unset DISPLAY
mkdir -p "$work/app"
cp "$bin/commandline_e2e.exe" "$bin/corvane.exe" "$bin/corvane.com" "$work/app/"
timeout 240 "$WINE" "$work/app/commandline_e2e.exe" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: '
status=${PIPESTATUS[0]}
report=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Corvane/last-run.txt' 2>/dev/null | head -n1)
[ -n "$report" ] && cp "$report" "$work/last-run.txt" && echo "the last real report: $work/last-run.txt"
exit "$status"
