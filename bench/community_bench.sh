#!/usr/bin/env bash
# The community benchmark: corvane.exe reading the Winapp2 project's whole
# file and detecting its entries (/list), then a preview (/preview) and a
# cleaning (/clean) of some twenty of them laid out as they describe (about
# 20,000 files, bench/community_layout.py), against a minimal program
# (bench/community_min.cpp) that reads the same file, makes the same probes
# and the same link-safe deletions and none of Corvane's checks. Whole
# processes in one Wine prefix (in /dev/shm where there is one), the sides
# taking turns, each phase run ROUNDS times (default 5) after one uncounted
# round; medians, best runs and their ratios are printed with the machine's
# load: take figures when the load is low. The files both sides leave are
# compared after the first cleaning. Detecting is what the community cleaners
# window does when it opens, on the same whole file; and the window itself is
# timed last, from the click on "More applications…" until its list shows
# (bench/community_window.cpp, on a virtual display).
# Usage: bash bench/community_bench.sh [ROUNDS] [ENTRIES]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${1:-5}
count=${2:-20}
data=""
for d in "$top/../shared/winapp2" "$top/../../shared/winapp2"; do [ -f "$d/Winapp2.ini" ] && data=$(readlink -f "$d"); done
[ -n "$data" ] || { echo "the Winapp2 project's file is not beside the repository (../shared/winapp2)" >&2; exit 1; }
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target corvane community_min community_window >/dev/null || exit 1
work=$([ -d /dev/shm ] && echo "/dev/shm/corvane-community-bench-$$" || echo "$top/build/win64/community-bench")
source scripts/wine_session.sh
trap 'end_session; rm -rf "$work"' EXIT
mkdir -p "$work/app"
cp build/win64/bin/corvane.exe build/win64/bin/community_min.exe build/win64/bin/community_window.exe "$work/app/"
mapfile -t names < <(python3 bench/community_layout.py "$data/Winapp2.ini" "$work/stock" "$count" 1000)
timeout 120 "$WINE" wineboot -i >/dev/null 2>&1
home=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/$' | head -n1)
mkdir -p "$home/AppData/Roaming/Corvane/Cleaners"
cp "$data/Winapp2.ini" "$home/AppData/Roaming/Corvane/Cleaners/winapp2.ini"
ini=$(timeout 30 "$WINE" winepath -w "$home/AppData/Roaming/Corvane/Cleaners/winapp2.ini" 2>/dev/null | tr -d '\r')
key='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
timeout 60 "$WINE" reg add "$key" /f >/dev/null 2>&1
for name in "${names[@]}"; do timeout 60 "$WINE" reg add "$key\\Community" /v "$name" /t REG_DWORD /d 1 /f >/dev/null 2>&1; done
timeout 20 "$WINESERVER" -w
"$WINESERVER" -p

# Puts a fresh copy of the applications' files in place (not timed).
fresh() {
  (cd "$work/stock" && for base in *; do mkdir -p "$home/AppData/$base" && cp -a "$base/." "$home/AppData/$base/"; done)
  sync
}
side() {
  case "$1" in
    corvane-detect) timeout 600 "$WINE" "$work/app/corvane.exe" /list ;;
    minimal-detect) timeout 600 "$WINE" "$work/app/community_min.exe" "$ini" detect ;;
    corvane-preview) timeout 600 "$WINE" "$work/app/corvane.exe" /preview ;;
    minimal-preview) timeout 600 "$WINE" "$work/app/community_min.exe" "$ini" list "${names[@]}" ;;
    corvane-clean) timeout 600 "$WINE" "$work/app/corvane.exe" /clean ;;
    minimal-clean) timeout 600 "$WINE" "$work/app/community_min.exe" "$ini" clean "${names[@]}" ;;
  esac
  echo $? >"$work/status"
}
# Runs one side, a cleaning on a fresh copy; prints its seconds on the clock.
run() {
  [ "${1#*-}" = clean ] && fresh
  local start end
  start=$(date +%s%N)
  side "$1" >"$work/out.txt" 2>/dev/null
  end=$(date +%s%N)
  # A cleaning that left a file in use says so with 4; both are figures.
  case "$(cat "$work/status")" in 0 | 4) ;; *) echo "$1 exited $(cat "$work/status")" >&2; cat "$work/out.txt" >&2; exit 1 ;; esac
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) / 1e9 }'
}
leftover() { (cd "$home/AppData" && find Roaming Local -path '*/Corvane' -prune -o -print | sort); }

echo "load before: $(uptime)"
echo "entries chosen and laid out: ${#names[@]}, $(find "$work/stock" -type f | wc -l) files"
fresh
run corvane-detect >/dev/null
echo "detected by corvane.exe /list: $(grep -c '^\[' "$work/out.txt") cleaners; by the minimal program: $(side minimal-detect >"$work/min.txt"; wc -l <"$work/min.txt") entries"
run corvane-clean >/dev/null && leftover >"$work/left-corvane.txt"
run minimal-clean >/dev/null && leftover >"$work/left-minimal.txt"
if cmp -s "$work/left-corvane.txt" "$work/left-minimal.txt"; then
  echo "both leave the same files and folders ($(wc -l <"$work/left-corvane.txt") paths)"
else
  echo "the two leave different files:"
  diff "$work/left-corvane.txt" "$work/left-minimal.txt" | head -20
fi
fresh
for phase in detect preview clean; do
  : >"$work/corvane-$phase.times"
  : >"$work/minimal-$phase.times"
  for ((r = 0; r < rounds; r++)); do
    if ((r % 2 == 0)); then order="corvane minimal"; else order="minimal corvane"; fi
    for s in $order; do run "$s-$phase" >>"$work/$s-$phase.times" || exit 1; done
  done
done
stats() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%.3f %.3f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1] }'; }
for phase in detect preview clean; do
  case $phase in
    detect) target="target: 1.25 or less" ;;
    preview) target="no target: the recording's bookkeeping of what a cleaning would do, without its deletions" ;;
    clean) target="target: 1.1 or less" ;;
  esac
  read -r cm cb <<<"$(stats "$work/corvane-$phase.times")"
  read -r mm mb <<<"$(stats "$work/minimal-$phase.times")"
  echo "$phase:"
  echo "  corvane.exe:     median $cm s, best $cb s ($(tr '\n' ' ' <"$work/corvane-$phase.times"))"
  echo "  minimal program: median $mm s, best $mb s ($(tr '\n' ' ' <"$work/minimal-$phase.times"))"
  awk -v a="$cm" -v b="$mm" -v c="$cb" -v d="$mb" -v t="$target" \
    'BEGIN { printf "  ratio corvane/minimal: median %.2f, best %.2f (%s)\n", a / b, c / d, t }'
done
echo "over $rounds runs each, after one uncounted run"
fresh
timeout 900 "$WINE" "$work/app/community_window.exe" "$rounds" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: ' | tr -d '\r'
echo "load after: $(uptime)"
