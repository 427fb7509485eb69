#!/usr/bin/env bash
# The purge benchmark: 20,000 small files in 400 folders, emptied three ways.
# Under Wine, PurgeFolder against a minimal FindFirstFileW/DeleteFileW/
# RemoveDirectoryW loop (median and best of ROUNDS runs on fresh identical
# trees, default 5); on the host, rm -rf of the same tree. Prints each time and the
# ratios; the target is PurgeFolder within 1.2x of the minimal loop.
# Usage: bash bench/purge_bench.sh [ROUNDS]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${1:-5}
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target purge_bench >/dev/null || exit 1
work="$top/build/win64/bench"
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'timeout 20 /usr/lib/wine/wineserver -k >/dev/null 2>&1' EXIT

out=$(timeout 1800 /usr/lib/wine/wine64 build/win64/bin/purge_bench.exe "$rounds" 2>/dev/null | tr -d '\r') || { echo "$out"; exit 1; }
value() { echo "$out" | awk -v k="$1" '$1 == k { print $2 }'; }
purge=$(value purge_seconds); loop=$(value loop_seconds)
purge_best=$(value purge_best_seconds); loop_best=$(value loop_best_seconds)

# The same tree on the host's file system, for rm -rf.
tree="$work/host-tree"
for f in $(seq 0 399); do
  mkdir -p "$tree/folder$f"
  for n in $(seq 0 49); do
    printf 'a small file of the kind a temporary folder fills up with\r\n' >"$tree/folder$f/file$n.tmp"
  done
done
start=$(date +%s%N); rm -rf "$tree"; end=$(date +%s%N)
rm_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')

echo "$out" | head -n1
printf '%-34s %9s %9s\n' "" "median" "best"
printf '%-34s %8s s %8s s\n' "PurgeFolder (Win32 layer, Wine)" "$purge" "$purge_best" \
  "minimal delete loop (Wine)" "$loop" "$loop_best" "rm -rf (host, one run)" "$rm_seconds" "$rm_seconds"
awk -v p="$purge" -v l="$loop" -v pb="$purge_best" -v lb="$loop_best" -v r="$rm_seconds" 'BEGIN {
  printf "PurgeFolder / minimal loop: %.2fx median, %.2fx best (target 1.2x or less)\n", p / l, pb / lb
  printf "PurgeFolder / rm -rf:       %.2fx\n", p / r
  printf "minimal loop / rm -rf:      %.2fx\n", l / r
}'
