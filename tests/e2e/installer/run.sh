#!/usr/bin/env bash
# Installs and uninstalls Corvane for real under Wine + Xvfb in a fresh prefix
# and checks files, registry, shortcuts, the ending of a running Corvane, the
# registration and unregistration of the blocker module, the keeping of the
# cookie safe list, a module that refuses registration, and a Settings folder
# that another user turned into a link.
#
#   tests/e2e/installer/run.sh [bin folder] [work folder]
#
# The bin folder holds corvane.exe, corvane.com, cvblock.dll, sounds\ and
# Help\ (the build's CORVANE_BIN_DIR). Without one, stand-ins of corvane.exe
# and cvblock.dll are built here, with the real corvane.com and help file.
# The installer is built from installer/corvane.nsi with CORVANE_TEST_REPORT,
# so that the outcomes it reports in silent mode can be read back. When
# CORVANE_SIGN_PFX names a certificate (scripts/sign.sh), the installer and
# its uninstaller are signed with it, the stand-ins too, and every program
# file installed must carry a signature that verifies against it.
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
  x86_64-w64-mingw32-g++ -Wall -Wextra -Os -municode -static -fno-exceptions -fno-rtti -I "$repo/src" \
    -o "$bin/corvane.com" "$repo/console/corvane_com.cpp" || exit 2
  x86_64-w64-mingw32-gcc -Wall -Wextra -O2 -shared -static -Wl,--kill-at \
    -o "$bin/cvblock.dll" "$here/stand_in_cvblock.c" || exit 2
  printf 'RIFF' > "$bin/sounds/sound1.wav"
  printf 'RIFF' > "$bin/sounds/sound2.wav"
  cmake -DCHMCMD="$(command -v chmcmd)" -DSOURCE_DIR="$repo/help/src" -DSTAGE_DIR="$work/help-stage" \
        -DOUTPUT="$bin/Help/corvane.chm" -P "$repo/help/compile_chm.cmake" || exit 2
  bash "$repo/scripts/sign.sh" "$bin/corvane.exe" "$bin/corvane.com" "$bin/cvblock.dll" >/dev/null || exit 2
fi
signing=()
[ -n "${CORVANE_SIGN_PFX:-}" ] && signing=(-DCORVANE_SIGN="$repo/scripts/sign.sh")
make_setup() {  # make_setup <bin folder> <setup.exe>
  makensis -V2 -WX -DCORVANE_TARGET=amd64-unicode -DCORVANE_BIN_DIR="$1" -DCORVANE_OUTFILE="$2" \
    "${signing[@]}" -DCORVANE_TEST_REPORT "$repo/installer/corvane.nsi"
}
setup="$work/corvane-setup-test.exe"
make_setup "$bin" "$setup" || exit 2
# The same files with a blocker module that refuses registration, as a
# standard user's does (access denied: it may not write HKCR and HKLM).
refusing_bin="$work/refusing-bin"
rm -rf "$refusing_bin" && cp -r "$bin" "$refusing_bin" || exit 2
x86_64-w64-mingw32-gcc -Wall -Wextra -O2 -shared -static -Wl,--kill-at -DREFUSE_REGISTRATION \
  -o "$refusing_bin/cvblock.dll" "$here/stand_in_cvblock.c" || exit 2
bash "$repo/scripts/sign.sh" "$refusing_bin/cvblock.dll" >/dev/null || exit 2
refusing_setup="$work/corvane-setup-refusing.exe"
make_setup "$refusing_bin" "$refusing_setup" || exit 2

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
stand_in_key='HKCU\Software\CorvaneInstallerTest'
server_key='HKCR\CLSID\{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}\InprocServer32'
report() { find "$drive/users" -maxdepth 3 -name corvane-setup-report.txt -print -quit; }
reg_q()  { timeout 30 "$W" reg query "$@" 2>/dev/null | tr -d '\r'; }
has_value() { reg_q "$1" /v "$2" | grep -qE "^ +$2 +REG_[A-Z_]+ +$3\$"; }
lacks_value() { ! reg_q "$1" /v "$2" | grep -qE "^ +$2 +REG_"; }
key_exists() { timeout 30 "$W" reg query "$1" >/dev/null 2>&1; }
wait_prefix() { timeout 90 "$WS" -w; }   # the uninstaller runs from a copy of itself

file_checks_installed() {
  local f
  for f in corvane.exe corvane.com cvblock.dll sounds/sound1.wav sounds/sound2.wav Help/corvane.chm uninstall.exe; do
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
  # A user who has seen the first start's hint about the tray icon.
  timeout 30 "$W" reg add 'HKCU\Software\Tessaly\Corvane' /v TrayIconHintShown /t REG_DWORD /d 1 /f >/dev/null
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
has_value "$settings" CRVNBFirst 0x0 && ok "CRVNBFirst = 0: setup registered the module" || bad "CRVNBFirst is not 0"
if [ "$stand_ins" -eq 1 ]; then
  has_value "$stand_in_key" Registered 0x1 && ok "setup called DllRegisterServer" || bad "setup did not register cvblock.dll"
else
  reg_q "$server_key" /ve | grep -qF 'C:\Program Files\Corvane\cvblock.dll' \
    && ok "setup registered cvblock.dll from where it installed it" || bad "cvblock.dll is not registered"
fi
for v in "DisplayName Corvane" "DisplayVersion 2.4" "Publisher Tessaly" \
         'UninstallString "C:\Program Files\Corvane\uninstall.exe"' \
         'DisplayIcon C:\Program Files\Corvane\corvane.exe,0'; do
  name=${v%% *}; value=${v#* }
  has_value "$uninst" "$name" "$(printf '%s' "$value" | sed 's/[][\.*^$()|+?{}]/\\&/g')" \
    && ok "uninstall entry $name" || bad "uninstall entry $name is not $value"
done
if [ -n "${CORVANE_SIGN_PFX:-}" ]; then
  for f in "$setup" "$dir/corvane.exe" "$dir/corvane.com" "$dir/cvblock.dll" "$dir/uninstall.exe"; do
    bash "$repo/scripts/check_signatures.sh" "$f" >/dev/null && ok "signed: ${f##*/}" || bad "no signature that verifies: $f"
  done
fi
rep=$(report)
echo "--- the installer reported:"; [ -n "$rep" ] && tr -d '\r' < "$rep"; echo "---"
[ -n "$rep" ] && grep -q "^Registered cvblock.dll" "$rep" && ok "installer reported the registration" \
  || bad "no report of the registration"
# icacls changes nothing under Wine, so the folder grant may go unconfirmed;
# the key grant, written with the security API, holds and is read back.
[ -n "$rep" ] && grep -qE "^(Users may change|Could not confirm that Users may change) files in " "$rep" \
  && ok "installer reported on the Settings folder grant" || bad "no report on the Settings folder grant"
[ -n "$rep" ] && grep -q "^Users may query and set the values of HKLM.*, and nothing more" "$rep" \
  && ok "the settings key grants Users exactly query and set value" || bad "the settings key grant is not exactly query and set"
[ -n "$rep" ] && grep -q "^Users may query and set the chosen community cleaners in HKLM.*Community" "$rep" \
  && ok "the Community subkey grants Users query and set value" || bad "the Community subkey grant is not exactly query and set"

printf 'example.com\r\nwww.example.org\r\n' > "$dir/Settings/SafeCookies.txt"
cp "$dir/Settings/SafeCookies.txt" "$work/SafeCookies.expected"
timeout 30 "$W" reg add "$run_key" /v Corvane /d 'C:\Program Files\Corvane\corvane.exe' /f >/dev/null
timeout 30 "$W" reg add "$settings" /v CookiesCleaner /t REG_DWORD /d 1 /f >/dev/null
# Another user, signed in (his keys loaded under HKEY_USERS), switched
# autostart on, and Corvane recorded him; so did a user not signed in; and
# some account wrote a record that is no SID. The uninstaller runs as this
# prefix's user, as an administrator whose password was given at the prompt.
other='S-1-5-21-1-2-3-1002'
timeout 30 "$W" reg add "HKU\\$other\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v Corvane \
  /d 'C:\Program Files\Corvane\corvane.exe' /f >/dev/null
timeout 30 "$W" reg add "$settings" /v AutostartUsers \
  /d "$other;S-1-5-21-9-9-9-1009;S-1-5-21-1\\..\\$other" /f >/dev/null
if start_corvane; then ok "Corvane started and marked itself running"; else bad "Corvane did not start"; fi

timeout 120 "$W" "$dir/uninstall.exe" /S /KEEPSETTINGS; rc=$?
wait_prefix
[ "$rc" -eq 0 ] && ok "silent uninstall /KEEPSETTINGS exit code 0" || bad "silent uninstall /KEEPSETTINGS exit code $rc"
if kill -0 "$corvane_pid" 2>/dev/null; then bad "the running Corvane was not ended"; kill "$corvane_pid"
else ok "the running Corvane was ended"; fi
grep -q "^Ending the running Corvane" "$(report)" && ok "uninstaller asked Corvane to exit" || bad "uninstaller did not find Corvane's window"
for f in corvane.exe corvane.com cvblock.dll sounds Help uninstall.exe; do
  [ -e "$dir/$f" ] && bad "left behind: $f" || ok "removed $f"
done
cmp -s "$work/SafeCookies.expected" "$dir/Settings/SafeCookies.txt" \
  && ok "/KEEPSETTINGS kept SafeCookies.txt unchanged" || bad "SafeCookies.txt not kept"
has_value "$settings" CookiesCleaner 0x1 && ok "user preference kept" || bad "user preference lost"
lacks_value "$settings" CorvaneRunning && ok "CorvaneRunning removed" || bad "CorvaneRunning left"
lacks_value "$settings" CRVNBFirst && ok "CRVNBFirst removed" || bad "CRVNBFirst left"
key_exists "$uninst" && bad "uninstall entry left" || ok "uninstall entry removed"
lacks_value "$run_key" Corvane && ok "autostart value removed" || bad "autostart value left"
lacks_value "HKU\\$other\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" Corvane \
  && ok "the recorded user's autostart value removed" || bad "the recorded user's autostart value left"
grep -q "^Removed the autostart entry of $other" "$(report)" && ok "reported the recorded user's entry" \
  || bad "no report of the recorded user's entry"
grep -q "^The autostart entry of S-1-5-21-9-9-9-1009 stays: that user is not signed in" "$(report)" \
  && ok "a user not signed in is named" || bad "no word of the user not signed in"
grep -q "^Left alone the autostart record S-1-5-21-1" "$(report)" && ok "a record that is no SID is left alone" \
  || bad "a record that is no SID was used"
lacks_value "$settings" AutostartUsers && ok "the record of autostart users removed" || bad "AutostartUsers left"
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
has_value "$settings" CRVNBFirst 0x0 && ok "CRVNBFirst = 0 again: registered again" || bad "CRVNBFirst not 0 on reinstall"
timeout 120 "$W" "$dir/uninstall.exe" /S; rc=$?
wait_prefix
[ "$rc" -eq 0 ] && ok "silent uninstall exit code 0" || bad "silent uninstall exit code $rc"
[ -e "$dir" ] && bad "Corvane folder left: $(find "$dir" | tr '\n' ' ')" || ok "Corvane folder removed"
key_exists 'HKLM\SOFTWARE\Tessaly' && bad "settings key left" || ok "a silent uninstall removes the settings key and the safe list"

# --- round 3: a module that refuses registration; Settings made a link -----------
# Another user emptied Settings and made it a link (a Unix symbolic link here
# stands for a junction: FindFirstFile reports it with attributes 0x410) to a
# folder of theirs. Setup and the uninstaller run as administrator: neither may
# delete, create or grant anything through it.
elsewhere="$drive/users/Public/elsewhere"
rm -rf "$elsewhere" && mkdir -p "$elsewhere" "$dir"
printf 'precious.example\r\n' > "$elsewhere/SafeCookies.txt"
cp "$elsewhere/SafeCookies.txt" "$work/elsewhere.expected"
ln -s "$elsewhere" "$dir/Settings"
timeout 30 "$W" reg delete "$stand_in_key" /f >/dev/null 2>&1
rm -f "$(report)" 2>/dev/null
timeout 180 "$W" "$refusing_setup" /S; rc=$?
[ "$rc" -eq 0 ] && ok "install with a refusing module: exit code 0" || bad "install with a refusing module: exit code $rc"
rep=$(report)
echo "--- the installer reported:"; [ -n "$rep" ] && tr -d '\r' < "$rep"; echo "---"
has_value "$settings" CRVNBFirst 0x1 && ok "registration refused: CRVNBFirst = 1 for the program's next start" \
  || bad "CRVNBFirst is not 1 after a refused registration"
has_value "$stand_in_key" Refused 0x1 && ok "setup tried to register once" || bad "setup did not try to register"
grep -q "^Could not register cvblock.dll" "$rep" && ok "setup reported the refused registration" \
  || bad "no report of the refused registration"
# Windows removes the link itself (through a handle on the reparse point).
# Wine 8 cannot: every removal or rename of a symbolic link acts on its
# target (measured: RemoveDirectoryW deletes an empty target, MoveFileExW
# moves it), and a handle opened on the link is the target's. Setup sees that
# and leaves the link, granting nothing.
if [ -L "$dir/Settings" ]; then
  grep -q "^Could not remove the link .*Settings; nothing it leads to was touched" "$rep" \
    && ok "Wine: setup left the link it could not remove, and said so" || bad "no report of the link left in place"
  grep -q "^Did not grant Users access to .*Settings: it is a link" "$rep" \
    && ok "nothing was granted through the link" || bad "setup did not refuse to grant through the link"
else
  [ -d "$dir/Settings" ] && [ -z "$(ls -A "$dir/Settings")" ] && grep -q "^Removed the link .*Settings" "$rep" \
    && ok "setup replaced the link by an empty folder of its own" || bad "Settings is neither the link nor a new folder"
fi
cmp -s "$work/elsewhere.expected" "$elsewhere/SafeCookies.txt" && [ "$(ls -A "$elsewhere")" = "SafeCookies.txt" ] \
  && ok "the folder behind the link is whole after the installation" || bad "the installation changed the folder behind the link"

if [ "$stand_ins" -eq 0 ]; then
  if start_corvane; then ok "Corvane started after a refused registration"; else bad "Corvane did not start"; fi
  for _ in $(seq 1 20); do has_value "$stand_in_key" Refused 0x2 && break; sleep 0.5; done
  has_value "$stand_in_key" Refused 0x2 && ok "the program tried to register the module at its start" \
    || bad "the program did not try to register the module"
  # Refused for lack of rights, it would be refused at every start: noted for
  # the pop-up blocker window to tell once, and not tried again.
  has_value "$settings" BlockerRegistrationDenied 0x1 && has_value "$settings" CRVNBFirst 0x0 \
    && ok "the refusal is noted and CRVNBFirst cleared" || bad "the refused registration is not noted"
  kill "$corvane_pid" 2>/dev/null; wait "$corvane_pid" 2>/dev/null
  timeout 30 "$W" reg add "$settings" /v CorvaneRunning /t REG_DWORD /d 0 /f >/dev/null
  start_corvane && ok "Corvane started again" || bad "Corvane did not start again"
  has_value "$stand_in_key" Refused 0x2 && ok "the next start does not try again" \
    || bad "the program tried to register again at its next start"
fi

rm -f "$(report)" 2>/dev/null
timeout 120 "$W" "$dir/uninstall.exe" /S; rc=$?
wait_prefix
[ "$rc" -eq 0 ] && ok "uninstall with a Settings link: exit code 0" || bad "uninstall with a Settings link: exit code $rc"
rep=$(report)
[ -n "$rep" ] && grep -qE "^(Removed|Left) the link .*Settings; nothing it (led|leads) to was touched" "$rep" \
  && ok "the uninstaller saw the link" || bad "the uninstaller did not see the link"
cmp -s "$work/elsewhere.expected" "$elsewhere/SafeCookies.txt" && [ "$(ls -A "$elsewhere")" = "SafeCookies.txt" ] \
  && ok "the uninstaller deleted nothing behind the link" || bad "the uninstaller deleted through the link"
[ -e "$dir/uninstall.exe" ] && bad "uninstall.exe left" || ok "the program's own files removed"
rm -f "$dir/Settings"; rmdir "$dir" 2>/dev/null; rm -rf "$elsewhere"

echo "installer e2e: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
