#!/usr/bin/env bash
# Installs and uninstalls Corvane for real under Wine + Xvfb in a fresh prefix
# and checks files, registry, shortcuts, the ending of a running Corvane, the
# unregistration of the blocker module and the keeping of the cookie safe list.
#
#   tests/e2e/installer/run.sh [bin folder] [work folder]
#
# The bin folder holds corvane.exe, cvblock.dll, sounds\ and Help\ (the build's
# CORVANE_BIN_DIR). Without one, stand-ins of corvane.exe and cvblock.dll are
# built here, with the real help file. The installer is built from
# installer/corvane.nsi with CORVANE_TEST_REPORT, so that the outcomes it
# reports in silent mode can be read back.
set -u
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
work=${2:-$(mktemp -d /tmp/corvane-installer-e2e.XXXXXX)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
W=/usr/lib/wine/wine64
WS=/usr/lib/wine/wineserver
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No desktop entries on the host; no Mono or Gecko prompts in a new prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="

failures=0
checks=0
ok()   { checks=$((checks + 1)); echo "ok: $*"; }
bad()  { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAILED: $*" >&2; }
need() { command -v "$1" >/dev/null || { echo "missing $1: install $2" >&2; exit 2; }; }
need makensis nsis; need Xvfb xvfb; need x86_64-w64-mingw32-gcc mingw-w64; need chmcmd fp-utils
[ -x "$W" ] || { echo "missing $W: install wine64" >&2; exit 2; }

xvfb_pid=""
cleanup() {
  timeout 30 "$WS" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# --- the files to install -----------------------------------------------------
stand_ins=0
if [ -n "${1:-}" ]; then
  bin=$(cd "$1" && pwd)
else
  stand_ins=1
  bin="$work/bin"
  mkdir -p "$bin/sounds" "$bin/Help"
  x86_64-w64-mingw32-gcc -Wall -Wextra -O2 -municode -mwindows -static \
    -o "$bin/corvane.exe" "$here/stand_in_corvane.c" || exit 2
  x86_64-w64-mingw32-gcc -Wall -Wextra -O2 -shared -static -Wl,--kill-at \
    -o "$bin/cvblock.dll" "$here/stand_in_cvblock.c" || exit 2
  printf 'RIFF' > "$bin/sounds/sound1.wav"
  printf 'RIFF' > "$bin/sounds/sound2.wav"
  cmake -DCHMCMD="$(command -v chmcmd)" -DSOURCE_DIR="$repo/help/src" -DSTAGE_DIR="$work/help-stage" \
        -DOUTPUT="$bin/Help/corvane.chm" -P "$repo/help/compile_chm.cmake" || exit 2
fi
setup="$work/corvane-setup-test.exe"
makensis -V2 -WX -DCORVANE_TARGET=amd64-unicode -DCORVANE_BIN_DIR="$bin" -DCORVANE_OUTFILE="$setup" \
  -DCORVANE_TEST_REPORT "$repo/installer/corvane.nsi" || exit 2

# --- Wine and a display ---------------------------------------------------------
display=$((100 + $$ % 100))   # spread over displays: other test runs may share the machine
while [ -e "/tmp/.X$display-lock" ] && [ "$display" -lt 250 ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
rm -rf "$WINEPREFIX"
timeout 180 "$W" wineboot -i >/dev/null 2>&1 || { echo "could not create the Wine prefix" >&2; exit 2; }

drive="$WINEPREFIX/drive_c"
dir="$drive/Program Files/Corvane"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvane"
settings='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
report() { find "$drive/users" -maxdepth 3 -name corvane-setup-report.txt -print -quit; }
reg_q()  { timeout 30 "$W" reg query "$@" 2>/dev/null | tr -d '\r'; }
has_value() { reg_q "$1" /v "$2" | grep -qE "^ +$2 +REG_[A-Z_]+ +$3\$"; }
lacks_value() { ! reg_q "$1" /v "$2" | grep -qE "^ +$2 +REG_"; }
key_exists() { timeout 30 "$W" reg query "$1" >/dev/null 2>&1; }
wait_prefix() { timeout 90 "$WS" -w; }   # the uninstaller runs from a copy of itself

file_checks_installed() {
  local f
  for f in corvane.exe cvblock.dll sounds/sound1.wav sounds/sound2.wav Help/corvane.chm uninstall.exe; do
    if [ -f "$dir/$f" ]; then ok "installed $f"; else bad "not installed: $f"; fi
  done
  cmp -s "$bin/Help/corvane.chm" "$dir/Help/corvane.chm" && ok "the help file is the one built" || bad "help file differs"
  [ -d "$dir/Settings" ] && ok "Settings folder created" || bad "no Settings folder"
  [ -f "$menu/Corvane.lnk" ] && ok "Start menu shortcut Corvane" || bad "no Start menu shortcut $menu/Corvane.lnk"
  [ -f "$menu/Corvane Help.lnk" ] && ok "Start menu shortcut to the help" || bad "no help shortcut"
}

# Starts the installed program and waits (bounded) until it has marked itself
# running. Sets corvane_pid.
start_corvane() {
  "$W" 'C:\Program Files\Corvane\corvane.exe' >/dev/null 2>&1 &
  corvane_pid=$!
  local i
  for i in $(seq 1 60); do
    has_value "$settings" CorvaneRunning 0x1 && return 0
    sleep 0.5
  done
  return 1
}

# --- round 1: install, then a silent uninstall with Corvane running -------------
rm -f "$(report)" 2>/dev/null
timeout 180 "$W" "$setup" /S; rc=$?
[ "$rc" -eq 0 ] && ok "silent install exit code 0" || bad "silent install exit code $rc"
file_checks_installed
has_value "$settings" CRVNBFirst 0x1 && ok "CRVNBFirst = 1" || bad "CRVNBFirst is not 1"
for v in "DisplayName Corvane" "DisplayVersion 2.4" "Publisher Tessaly" \
         'UninstallString "C:\Program Files\Corvane\uninstall.exe"' \
         'DisplayIcon C:\Program Files\Corvane\corvane.exe,0'; do
  name=${v%% *}; value=${v#* }
  has_value "$uninst" "$name" "$(printf '%s' "$value" | sed 's/[][\.*^$()|+?{}]/\\&/g')" \
    && ok "uninstall entry $name" || bad "uninstall entry $name is not $value"
done
rep=$(report)
echo "--- the installer reported:"; [ -n "$rep" ] && tr -d '\r' < "$rep"; echo "---"
[ -n "$rep" ] && grep -qE "^(Users may change|Could not confirm that Users may change) files in " "$rep" \
  && ok "installer reported on the Settings folder grant" || bad "no report on the Settings folder grant"
[ -n "$rep" ] && grep -qE "^(Users may change the settings key|Could not confirm that Users may change HKLM)" "$rep" \
  && ok "installer reported on the settings key grant" || bad "no report on the settings key grant"

printf 'example.com\r\nwww.example.org\r\n' > "$dir/Settings/SafeCookies.txt"
cp "$dir/Settings/SafeCookies.txt" "$work/SafeCookies.expected"
timeout 30 "$W" reg add "$run_key" /v Corvane /d 'C:\Program Files\Corvane\corvane.exe' /f >/dev/null
timeout 30 "$W" reg add "$settings" /v CookiesCleaner /t REG_DWORD /d 1 /f >/dev/null
if start_corvane; then ok "Corvane started and marked itself running"; else bad "Corvane did not start"; fi

timeout 120 "$W" "$dir/uninstall.exe" /S /KEEPSETTINGS; rc=$?
wait_prefix
[ "$rc" -eq 0 ] && ok "silent uninstall /KEEPSETTINGS exit code 0" || bad "silent uninstall /KEEPSETTINGS exit code $rc"
if kill -0 "$corvane_pid" 2>/dev/null; then bad "the running Corvane was not ended"; kill "$corvane_pid"
else ok "the running Corvane was ended"; fi
grep -q "^Ending the running Corvane" "$(report)" && ok "uninstaller asked Corvane to exit" || bad "uninstaller did not find Corvane's window"
for f in corvane.exe cvblock.dll sounds Help uninstall.exe; do
  [ -e "$dir/$f" ] && bad "left behind: $f" || ok "removed $f"
done
cmp -s "$work/SafeCookies.expected" "$dir/Settings/SafeCookies.txt" \
  && ok "/KEEPSETTINGS kept SafeCookies.txt unchanged" || bad "SafeCookies.txt not kept"
has_value "$settings" CookiesCleaner 0x1 && ok "user preference kept" || bad "user preference lost"
lacks_value "$settings" CorvaneRunning && ok "CorvaneRunning removed" || bad "CorvaneRunning left"
lacks_value "$settings" CRVNBFirst && ok "CRVNBFirst removed" || bad "CRVNBFirst left"
key_exists "$uninst" && bad "uninstall entry left" || ok "uninstall entry removed"
lacks_value "$run_key" Corvane && ok "autostart value removed" || bad "autostart value left"
[ -e "$menu" ] && bad "Start menu folder left" || ok "Start menu shortcuts removed"
if [ "$stand_ins" -eq 1 ]; then
  has_value 'HKCU\Software\CorvaneInstallerTest' Unregistered 0x1 \
    && ok "cvblock.dll DllUnregisterServer was called" || bad "cvblock.dll was not unregistered"
fi

# --- round 2: reinstall over the kept settings, then remove everything ------------
timeout 180 "$W" "$setup" /S; rc=$?
[ "$rc" -eq 0 ] && ok "reinstall exit code 0" || bad "reinstall exit code $rc"
cmp -s "$work/SafeCookies.expected" "$dir/Settings/SafeCookies.txt" \
  && ok "reinstall left SafeCookies.txt as it was" || bad "reinstall changed SafeCookies.txt"
has_value "$settings" CRVNBFirst 0x1 && ok "CRVNBFirst = 1 again" || bad "CRVNBFirst not set on reinstall"
timeout 120 "$W" "$dir/uninstall.exe" /S; rc=$?
wait_prefix
[ "$rc" -eq 0 ] && ok "silent uninstall exit code 0" || bad "silent uninstall exit code $rc"
[ -e "$dir" ] && bad "Corvane folder left: $(find "$dir" | tr '\n' ' ')" || ok "Corvane folder removed"
key_exists 'HKLM\SOFTWARE\Tessaly' && bad "settings key left" || ok "a silent uninstall removes the settings key and the safe list"

echo "installer e2e: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
