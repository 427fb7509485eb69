#!/usr/bin/env bash
# Every test of the project: installs what is missing, checks the sources'
# layout, builds the four presets, runs the host tests (plain and with sanitizers), the contract suite
# on the simulation and under Wine, and the end-to-end tests of the real
# program under Wine, and checks what ships (its size, no runtime DLLs, its
# signatures); ends with one line "N passed, N failed".
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
logs="$top/build/logs"
mkdir -p "$logs"
passed=0
failed=0
failures=()

# Adds the outcome of one run: a GoogleTest program's own counts when it
# printed them, otherwise one check judged by its exit status.
tally() {
  local name=$1 status=$2 log=$3 p f
  p=$(grep -aE '^\[  PASSED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)
  f=$(grep -aE '^\[  FAILED  \] [0-9]+ test' "$log" | tail -n1 | grep -oE '[0-9]+' | head -n1)
  if [ -n "$p" ] || [ -n "$f" ]; then
    passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
    if [ "$status" -ne 0 ] && [ -z "$f" ]; then failed=$((failed + 1)); fi
  elif [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  if [ "$status" -ne 0 ]; then failures+=("$name (log: $log)"); echo "FAILED: $name"; else echo "ok: $name"; fi
}

# Runs a command with a time limit, its output in a log; then tallies it.
check() {
  local name=$1 limit=$2; shift 2
  local log="$logs/$name.log"
  timeout --kill-after=10 "$limit" "$@" >"$log" 2>&1
  last_status=$?
  tally "$name" $last_status "$log"
}

# A Wine prefix takes 700 MB: the one of a check that passed goes, so a run
# holds one at a time; a failed check's stays to be looked into.
drop_prefix_if_passed() {
  [ "$last_status" -eq 0 ] && rm -rf "$1"
  return 0
}

# A build passes only without errors and without warnings.
build() {
  local preset=$1; shift
  local log="$logs/build-$preset.log"
  { cmake --preset "$preset" && cmake --build --preset "$preset" "$@"; } >"$log" 2>&1
  local status=$?
  if [ $status -eq 0 ] && grep -q -E 'warning:' "$log"; then
    echo "warnings in the $preset build:"; grep -E 'warning:' "$log" | sort -u | head -n 20
    status=1
  fi
  tally "build-$preset" $status "$log"
  return $status
}

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

# Four builds, the browsers' profiles and one Wine prefix at a time: a full
# disk otherwise shows as every later check failing for no clear reason.
need_mb=3072
free_mb=$(df -Pm "$top" | awk 'NR == 2 { print $4 }')
if [ "$free_mb" -lt "$need_mb" ]; then
  echo "Only $free_mb MB free where the project is ($top); a run needs about $need_mb MB."
  echo "0 passed, 1 failed"
  exit 1
fi

# A throwaway self-signed code-signing certificate, made for this run: the
# Windows builds sign what ships with it (scripts/sign.sh), and the
# signatures are checked against it below. No timestamp server: no network.
export CORVANE_SIGN_PFX="$top/build/signing/throwaway.pfx"
CORVANE_SIGN_PASSWORD=$(openssl rand -hex 16)
export CORVANE_SIGN_PASSWORD
unset CORVANE_SIGN_TIMESTAMP
check signing-certificate 60 bash scripts/test_certificate.sh "$CORVANE_SIGN_PFX"

# The sources laid out as .clang-format says.
check format 120 bash scripts/check_format.sh

# Real profiles of Chromium and Firefox for the host tests (made again when
# a browser's version changes).
check browser-profiles 300 bash tests/browsers/make_profiles.sh "$top/build/browser-profiles"

if build host; then
  check host-tests 300 build/host/bin/host_tests
  check contract-sim 120 build/host/bin/contract_sim
fi
if build host-asan; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  check host-tests-asan 600 build/host-asan/bin/host_tests
  check contract-sim-asan 120 build/host-asan/bin/contract_sim
fi
if build win64 --target all corvane_installer; then
  prefix="$top/build/win64/wineprefix-contract"
  check contract-win32 300 env WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 build/win64/bin/contract_win32.exe
  timeout 20 env WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1
  drop_prefix_if_passed "$prefix"
  check help-check 60 bash help/check.sh
  check cvblock-under-wine 300 bash tests/e2e/cvblock/check_cvblock.sh "$top/build/win64/bin" "$top/build/win64/bin" "$top/build/win64/cvblock-scratch"
  drop_prefix_if_passed "$top/build/win64/cvblock-scratch/prefix"
  check installer-under-wine 600 bash tests/e2e/installer/run.sh "$top/build/win64/bin" "$top/build/win64/e2e-installer"
  drop_prefix_if_passed "$top/build/win64/e2e-installer/prefix"
  check e2e-under-wine 900 bash tests/e2e/run_e2e.sh "$top/build/win64/bin" "$top/build/win64/e2e"
  drop_prefix_if_passed "$top/build/win64/e2e/prefix"
  # The README's and docs/' pictures, from the walk just taken.
  check screenshots 120 bash scripts/keep_screenshots.sh "$top/build/win64/e2e/screenshots" "$top/docs/screenshots"
  # Every window again at 150% and 200% (the run above is at 100%), with
  # screenshots under build/win64/e2e-dpi144 and e2e-dpi192.
  for dpi in 144 192; do
    check "e2e-at-$dpi-dpi" 300 env E2E_DPI=$dpi bash tests/e2e/run_e2e.sh "$top/build/win64/bin" \
      "$top/build/win64/e2e-dpi$dpi" --gtest_filter='DisplayScaleE2E.*'
    drop_prefix_if_passed "$top/build/win64/e2e-dpi$dpi/prefix"
  done
  check cleaner-e2e-under-wine 300 bash tests/e2e/cleaner/run.sh "$top/build/win64/bin" "$top/build/win64/e2e-cleaner"
  drop_prefix_if_passed "$top/build/win64/e2e-cleaner/prefix"
  check cookies-under-wine 300 bash tests/e2e/cookies/run.sh "$top/build/win64/bin" "$top/build/win64/e2e-cookies"
  drop_prefix_if_passed "$top/build/win64/e2e-cookies/prefix"
  check commandline-under-wine 300 bash tests/e2e/commandline/run.sh "$top/build/win64/bin" "$top/build/win64/e2e-commandline"
  drop_prefix_if_passed "$top/build/win64/e2e-commandline/prefix"
  check browsers-under-wine 300 bash tests/e2e/browsers/run.sh "$top/build/win64/bin" "$top/build/win64/e2e-browsers"
  drop_prefix_if_passed "$top/build/win64/e2e-browsers/prefix"
fi
build win32 --target all corvane_installer
# The sizes of what ships, and that it needs no runtime DLL beside it.
check binaries 60 bash scripts/check_binaries.sh build/win64/bin build/win32/bin
# Every file that ships is signed (the installers' uninstallers: by the installer test).
shipped=()
for preset in win64 win32; do
  shipped+=("build/$preset/bin/corvane.exe" "build/$preset/bin/corvane.com" "build/$preset/bin/cvblock.dll"
    "build/$preset/cvblock-other/bin/cvblock.dll" "build/$preset/corvane-setup.exe")
done
check signatures 60 bash scripts/check_signatures.sh "${shipped[@]}"

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed:"; printf '  %s\n' "${failures[@]}"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
