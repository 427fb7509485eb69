#!/usr/bin/env bash
# The browser benchmark: corvane.exe /clean with the five browser items on,
# against a minimal program (browser_min.c: the same statements on the same
# SQLite with secure_delete, one transaction per database, the same cache and
# session files removed without following a link, the profiles named on its
# command line), under Wine
# in one prefix on PROFILES profiles: the real ones of
# tests/browsers/make_profiles.sh, half Chromium (as Chrome) and half Firefox,
# each grown to 10,000 addresses, 30,000 visits, 3,000 cookies (a tenth of
# them the kept site's), 2,000 form entries, 1,000 icons and 1,000 cache files
# (bench/browser_profiles.py). Each run starts from a fresh copy of the
# profiles; the sides take turns, each run ROUNDS times (default 5) after one
# uncounted round, and the medians, best runs and their ratio are printed with
# the machine's load: take figures when the load is low. The prefix is in
# /dev/shm where there is one, so the disk's flushes and discards, the same
# for both and uneven, do not drown what the two do differently. The rows
# both sides leave are compared after the first round.
# Usage: bash bench/browser_bench.sh [ROUNDS] [PROFILES]   (builds the win64 preset first)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${1:-5}
count=${2:-4}
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target corvane browser_min >/dev/null || exit 1
bash tests/browsers/make_profiles.sh build/browser-profiles >/dev/null || exit 1
work=$([ -d /dev/shm ] && echo "/dev/shm/corvane-browser-bench-$$" || echo "$top/build/win64/browser-bench")
source scripts/wine_prefix.sh
trap 'end_prefix; rm -rf "$work"' EXIT
python3 bench/browser_profiles.py build/browser-profiles "$work/stock" $(((count + 1) / 2)) $((count / 2)) || exit 1

mkdir -p "$work/app/Settings"
cp build/win64/bin/corvane.exe build/win64/bin/browser_min.exe "$work/app/"
printf 'kept.example\r\n' >"$work/app/Settings/SafeCookies.txt"
timeout 120 "$WINE" wineboot -i >/dev/null 2>&1
key='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
for item in BrowserCache BrowserCookies BrowserHistory BrowserFormData BrowserSessions; do
  timeout 60 "$WINE" reg add "$key" /v "$item" /t REG_DWORD /d 1 /f >/dev/null 2>&1
done
# One wineserver for every run, started before the first one (the one
# wineboot left would end a few seconds after it).
timeout 20 "$WINESERVER" -w
"$WINESERVER" -p
home=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/$' | head -n1)
winhome=$(timeout 30 "$WINE" winepath -w "$home" 2>/dev/null | tr -d '\r')
winhome=${winhome%\\}

# The minimal program's command line: every profile the stock holds.
args=(kept.example)
for p in "$work/stock/Local/Google/Chrome/User Data"/*/; do
  [ -d "$p/Network" ] && args+=(chromium "$winhome\\AppData\\Local\\Google\\Chrome\\User Data\\$(basename "$p")")
done
for p in "$work/stock/Roaming/Mozilla/Firefox/Profiles"/*/; do
  name=$(basename "$p")
  args+=(firefox "$winhome\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\$name"
    "$winhome\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\$name")
done

# Puts a fresh copy of the profiles in place (not timed).
fresh() {
  rm -rf "$home/AppData/Local/Google" "$home/AppData/Local/Mozilla" "$home/AppData/Roaming/Mozilla"
  mkdir -p "$home/AppData/Local" "$home/AppData/Roaming"
  cp -a "$work/stock/Local/." "$home/AppData/Local/"
  cp -a "$work/stock/Roaming/." "$home/AppData/Roaming/"
  sync
}
# The processor time the prefix's wineserver has used, in clock ticks: it
# does a share of every program's work (handles, file opening, processes).
server_ticks() {
  local pid
  for pid in $(pgrep -x 'wineserver(64)?'); do
    # Another prefix's wineserver may end meanwhile: its files are gone.
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null
  done
}
side() {
  if [ "$1" = corvane ]; then
    timeout 600 "$WINE" "$work/app/corvane.exe" /clean
  else
    timeout 600 "$WINE" "$work/app/browser_min.exe" "${args[@]}"
  fi
  echo $? >"$work/status"
}
# Runs one side on a fresh copy; prints its seconds, and the processor
# seconds it and the wineserver used (less shaken by other work on the
# machine than the time on the clock).
run() {
  local start end status ticks cpu
  fresh
  ticks=$(server_ticks)
  start=$(date +%s%N)
  cpu=$( { TIMEFORMAT='%U %S'; time side "$1" >"$work/out.txt" 2>/dev/null; } 2>&1)
  end=$(date +%s%N)
  status=$(cat "$work/status")
  [ "$status" -eq 0 ] || { echo "$1 exited $status" >&2; cat "$work/out.txt" >&2; exit 1; }
  awk -v a="$start" -v b="$end" -v cpu="$cpu" -v t0="$ticks" -v t1="$(server_ticks)" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { split(cpu, c, " "); printf "%.3f %.3f\n", (b - a) / 1e9, c[1] + c[2] + (t1 - t0) / hz }'
}
# The rows left in every database of the profiles, and the files.
leftover() {
  (cd "$home/AppData" && find Local/Google Local/Mozilla Roaming/Mozilla -type f | grep -v -E '(-wal|-shm|-journal)$' |
    sort | python3 -c '
import sqlite3, sys
for path in sys.stdin.read().split("\n"):
    if not path or open(path, "rb").read(16) != b"SQLite format 3\0":
        print(path) if path else None
        continue
    db = sqlite3.connect("file:" + path + "?mode=ro", uri=True)
    tables = [t for (t,) in db.execute("SELECT name FROM sqlite_schema WHERE type = \"table\" ORDER BY 1")]
    print(path, [(t, db.execute(f"SELECT count(*) FROM \"{t}\"").fetchone()[0]) for t in tables])
')
}

echo "load before: $(uptime)"
echo "profiles: $count ($(((count + 1) / 2)) Chromium, $((count / 2)) Firefox), $(du -sh "$work/stock" | cut -f1) in all"
run corvane >/dev/null && leftover >"$work/left-corvane.txt"
run minimal >/dev/null && leftover >"$work/left-minimal.txt"
if cmp -s "$work/left-corvane.txt" "$work/left-minimal.txt"; then
  echo "both leave the same rows and files"
else
  echo "the two leave different rows or files:"
  diff "$work/left-corvane.txt" "$work/left-minimal.txt" | head -20
fi
: >"$work/corvane.times"
: >"$work/minimal.times"
for ((r = 0; r < rounds; r++)); do
  # The sides take turns, each going first every other round.
  if ((r % 2 == 0)); then order="corvane minimal"; else order="minimal corvane"; fi
  for side in $order; do run "$side" >>"$work/$side.times" || exit 1; done
done
# The median and the best of column $2 of file $1.
stats() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { printf "%.3f %.3f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1] }'; }
for column in 1 2; do
  what=$([ $column = 1 ] && echo "on the clock" || echo "processor time, program and wineserver")
  read -r cm cb <<<"$(stats "$work/corvane.times" $column)"
  read -r mm mb <<<"$(stats "$work/minimal.times" $column)"
  echo "$what:"
  echo "  corvane.exe /clean: median $cm s, best $cb s ($(cut -d' ' -f$column "$work/corvane.times" | tr '\n' ' '))"
  echo "  minimal program:    median $mm s, best $mb s ($(cut -d' ' -f$column "$work/minimal.times" | tr '\n' ' '))"
  awk -v a="$cm" -v b="$mm" -v c="$cb" -v d="$mb" \
    'BEGIN { printf "  ratio corvane/minimal: median %.2f, best %.2f (target: 1.25 or less)\n", a / b, c / d }'
done
echo "over $rounds runs each, after one uncounted run"
echo "load after: $(uptime)"
