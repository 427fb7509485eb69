#!/usr/bin/env bash
# The cookie manager with 5,000 cookie sites and a 20,000-line keep-list,
# worked from another process under Wine on a virtual display: from the click
# on "Cookies Manager" until both lists are filled, and ">>" of the 5,000
# lines; against a bare walk of the cookie entries (part of the fill) and two
# plain sorted list boxes filled by LB_ADDSTRING with redrawing held off, in
# the same prefix and run, round by round. Prints the times (median and best
# of ROUNDS, default 3) and the ratios, the target being 2x or less.
# Usage: bash bench/list_bench.sh [ROUNDS]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target list_bench >/dev/null || exit 1
work="$top/build/win64/bench-lists"
source scripts/wine_session.sh
# A folder of its own: the keep-list is written beside the program.
mkdir -p "$work/app"
cp build/win64/bin/corvane.exe build/win64/bin/list_bench.exe "$work/app/"
timeout 1800 "$WINE" "$work/app/list_bench.exe" "${1:-3}" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: ' | tr -d '\r'
exit "${PIPESTATUS[0]}"
