#!/usr/bin/env bash
# The cookie-walk benchmark: builds cookie_bench.exe (win64 preset) when it is
# missing, runs it under Wine in a fresh prefix and prints its figures.
# Usage: bench/cookie_bench.sh [build/win64]
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -m "${1:-$top/build/win64}")
exe="$build/bin/cookie_bench.exe"
if [ ! -x "$exe" ]; then
  (cd "$top" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target cookie_bench >/dev/null) || exit 1
fi
work="$build/bench-cookies"
rm -rf "$work"
source "$top/scripts/wine_prefix.sh"
timeout 1200 "$WINE" "$exe" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: '
exit "${PIPESTATUS[0]}"
