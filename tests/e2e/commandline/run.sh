#!/usr/bin/env bash
# Runs commandline_e2e.exe under Wine in a fresh prefix, with no display,
# from a folder in WORK that holds copies of corvane.exe and corvane.com (so
# that the keep-list beside them is made there). Before the run it puts a
# Unix symbolic link, which Wine lists as a reparse point, at C:\corvane-reports
# leading to C:\windows: a folder any user could make at the root and turn
# into a junction. The last real report is kept as WORK/last-run.txt. Extra
# arguments go to the test program. Ends the prefix's processes when done.
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
rm -rf "$work"
source "$(dirname "$0")/../../../scripts/wine_prefix.sh"
export LC_ALL=C.UTF-8
unset DISPLAY
mkdir -p "$work/app"
cp "$bin/commandline_e2e.exe" "$bin/corvane.exe" "$bin/corvane.com" "$work/app/"
# The first start creates the prefix.
timeout 180 "$WINE" "$work/app/commandline_e2e.exe" --gtest_list_tests >/dev/null 2>&1
ln -s "$WINEPREFIX/drive_c/windows" "$WINEPREFIX/drive_c/corvane-reports"
timeout 240 "$WINE" "$work/app/commandline_e2e.exe" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: '
status=${PIPESTATUS[0]}
if [ -e "$WINEPREFIX/drive_c/windows/corvane.log" ] || [ -e "$WINEPREFIX/drive_c/windows/system32/corvane.log" ]; then echo "FAIL: a report was written through the link"; status=1; fi
report=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Corvane/last-run.txt' 2>/dev/null | head -n1)
[ -n "$report" ] && cp "$report" "$work/last-run.txt" && echo "the last real report: $work/last-run.txt"
exit "$status"
