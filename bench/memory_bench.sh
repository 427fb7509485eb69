#!/usr/bin/env bash
# Idle memory: corvane.exe with no schedule set and a minimal tray program,
# both in the tray of one fresh Wine prefix on a virtual display; after they
# have settled (SECONDS more after the start, default 15), the resident set
# of each one's process and the ratio of the two.
# The figure is VmRSS from /proc/<pid>/status of the Linux process the Wine
# loader runs the program in: every page of it in memory, its own heap and
# stacks (RssAnon) as well as the mapped executables and libraries, Wine's
# DLLs among them (RssFile), and shared memory (RssShmem). It is what the
# program holds that another process could have, the nearest Linux figure
# to a Windows working set; both programs are measured the same way.
# Usage: bash bench/memory_bench.sh [SECONDS]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-15}
work="$top/build/win64/bench-memory"
source bench/idle_start.sh
sleep "$seconds"

# A field of /proc/<pid>/status, in kB.
field() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status" 2>/dev/null; }
row() {
  printf '  %-30s %8.1f MB %8.1f MB %8.1f MB %8.1f MB\n' "$1" "$(mb "$(field "$2" VmRSS)")" \
    "$(mb "$(field "$2" RssAnon)")" "$(mb "$(field "$2" RssFile)")" "$(mb "$(field "$2" RssShmem)")"
}
mb() { awk -v k="${1:-0}" 'BEGIN { printf "%.1f", k / 1024 }'; }
c=$(field "$corvane" VmRSS); t=$(field "$tray" VmRSS)
[ -n "$c" ] && [ -n "$t" ] || { echo "a program ended before it was measured"; exit 1; }
echo "resident set after $((15 + seconds)) s, idle in the tray (/proc/<pid>/status):"
printf '  %-30s %11s %11s %11s %11s\n' "" VmRSS RssAnon RssFile RssShmem
row "corvane.exe, no schedule set" "$corvane"
row "minimal tray program" "$tray"
awk -v c="$c" -v t="$t" 'BEGIN { printf "  ratio (VmRSS)                  %8.2fx\n", c / t }'
