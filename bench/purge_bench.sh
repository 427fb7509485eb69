#!/usr/bin/env bash
# The purge benchmark: 20,400 empty files in 400 folders emptied by the bare
# PurgeFolder call (plain, and recorded as a cleaning run records it) and by
# the real program through its window ("Clean Now", "Yes", the completion
# message; the same cleaning of an empty temporary folder subtracted), each
# against two minimal loops on identical trees in the same Wine prefix: the
# FindFirstFileW/DeleteFileW/RemoveDirectoryW one (which under Wine deletes
# what a link leads to) and the least that empties a tree without following
# a link; and, for scale, rm -rf of the same tree on the host. The sides take turns; each is
# run ROUNDS times (default 5) and its median and best run are printed, with
# the machine's load before and after: take figures when the load is low.
# Usage: bash bench/purge_bench.sh [ROUNDS]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${1:-5}
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target purge_bench >/dev/null || exit 1
work="$top/build/win64/bench"
rm -rf "$work"
mkdir -p "$work/stock"
trap 'rm -rf "$work/stock" "$work/host-tree"' EXIT

# One tree, written on the Unix side: far faster than through Wine. The files
# are empty: freeing data blocks costs the loop and the purge alike, and on a
# disk mounted with discard (as here) it costs so much, and so unevenly, that
# it would drown what the two do differently.
make_tree() {
  local f n
  for ((f = 0; f < 400; f++)); do
    mkdir -p "$1/folder$f"
    for ((n = 0; n < 51; n++)); do : >"$1/folder$f/file$n.tmp"; done
  done
}

# Each round, and the uncounted first one, empties four trees the bare way
# and three through the window.
for ((t = 0; t < 7 * (rounds + 1); t++)); do make_tree "$work/stock/tree-$t"; done
sync

echo "load before: $(uptime)"
stock="Z:${work//\//\\}\\stock"
# On a loaded machine the rounds may take longer than a test is given.
E2E_PROGRAM=purge_bench.exe E2E_TIMEOUT=3600 bash tests/e2e/run_e2e.sh build/win64/bin "$work" "$rounds" "$stock" |
  grep -v '^screenshots:'
status=${PIPESTATUS[0]}

make_tree "$work/host-tree"
sync
start=$(date +%s%N)
rm -rf "$work/host-tree"
end=$(date +%s%N)
awk -v a="$start" -v b="$end" 'BEGIN { printf "rm -rf of the same tree on the host, one run: %.3f s\n", (b - a) / 1e9 }'
echo "load after: $(uptime)"
exit "$status"
