#!/usr/bin/env bash
# Idle: corvane.exe with no schedule set, cleaning a browser when it closes
# switched on and no browser running, and a minimal tray program, both in
# the tray of one fresh Wine prefix on a virtual display; after they have
# settled, the processor ticks each one's process uses over SECONDS (default
# 60), read from /proc/<pid>/stat. A program without wake-ups uses none.
# Usage: bash bench/idle_bench.sh [SECONDS]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-60}
work="$top/build/win64/bench-idle"
source bench/idle_start.sh

# utime + stime of a process, in clock ticks (the fields after the command name).
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null; }
c0=$(ticks "$corvane"); t0=$(ticks "$tray")
sleep "$seconds"
c1=$(ticks "$corvane"); t1=$(ticks "$tray")
hz=$(getconf CLK_TCK)
echo "processor ticks (1/$hz s) in $seconds s of idle, after the start:"
printf '  %-34s %s\n' "corvane.exe, no schedule, on close" "$((c1 - c0))" "minimal tray program" "$((t1 - t0))"
