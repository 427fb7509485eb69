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
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target corvane idle_tray >/dev/null || exit 1
work="$top/build/win64/bench-idle"
source scripts/wine_session.sh
mkdir -p "$work/app"
cp build/win64/bin/corvane.exe build/win64/bin/idle_tray.exe "$work/app/"

# The settings key with the auto cleaner and the pop-up notifications off, so
# that the start shows no message and sets no timer; cleaning on a browser's
# close on, so that its window hook is set and waits.
key='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
for value in AutoCleaner CRVNPBStatus SoundNotification AnimTrayIcon; do
  timeout 60 "$WINE" reg add "$key" /v "$value" /t REG_DWORD /d 0 /f >/dev/null 2>&1
done
timeout 60 "$WINE" reg add "$key" /v CleanOnBrowserClose /t REG_DWORD /d 1 /f >/dev/null 2>&1

"$WINE" "$work/app/corvane.exe" >/dev/null 2>&1 &
corvane=$!
"$WINE" "$work/app/idle_tray.exe" >/dev/null 2>&1 &
tray=$!
sleep 15  # the start, the splash, the tray icon

# utime + stime of a process, in clock ticks (the fields after the command name).
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null; }
# The loader runs each program in the process it was started as.
for pair in "$corvane corvane.exe" "$tray idle_tray.exe"; do
  set -- $pair
  grep -qF "($2)" "/proc/$1/stat" 2>/dev/null || { echo "$2 is not running"; exit 1; }
done
c0=$(ticks "$corvane"); t0=$(ticks "$tray")
sleep "$seconds"
c1=$(ticks "$corvane"); t1=$(ticks "$tray")
hz=$(getconf CLK_TCK)
echo "processor ticks (1/$hz s) in $seconds s of idle, after the start:"
printf '  %-34s %s\n' "corvane.exe, no schedule, on close" "$((c1 - c0))" "minimal tray program" "$((t1 - t0))"
