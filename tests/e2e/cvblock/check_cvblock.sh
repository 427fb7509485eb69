#!/bin/bash
# Exercises cvblock.dll under Wine for real: self-registration; the blocked pop-up report through
# rundll32 with blocking off, on, and with no Corvane window to tell; the browser helper object
# created through COM by a stand-in browser that fires NewWindow3 at it; unregistration.
# Usage: check_cvblock.sh <folder with cvblock.dll> <folder with copydata_receiver.exe,
#        register_probe.exe and browser_stand_in.exe> [scratch folder]
set -u
BIN=$(realpath "$1")
RECEIVER=$(realpath "$2/copydata_receiver.exe")
PROBE=$(realpath "$2/register_probe.exe")
BROWSER=$(realpath "$2/browser_stand_in.exe")
SCRATCH=${3:-$(mktemp -d /tmp/cvblock-check.XXXXXX)}
rm -rf "$SCRATCH/prefix"  # a fresh registry for every run
mkdir -p "$SCRATCH"
export WINEPREFIX="$SCRATCH/prefix" WINEDEBUG=-all LC_ALL=C.UTF-8
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
SETTINGS='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
CLSID='{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}'
BHO="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\$CLSID"
DLL='C:\corvane\cvblock.dll'
LOG="$WINEPREFIX/drive_c/corvane/received.log"
failures=0

for n in $(seq 90 120); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=":$n"
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
cleanup() { timeout 20 "$WINESERVER" -k 2>/dev/null; kill "$XVFB" 2>/dev/null; wait "$XVFB" 2>/dev/null; }
trap cleanup EXIT

check() {  # check <description> <expected> <actual>
    if [ "$2" == "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
wine() { timeout 120 "$WINE" "$@" 2>/dev/null | tr -d '\r'; }
reg_query() {  # reg.exe's answer; it exits 1 for a value or key that is not there
    local which=(/v "$2") out status attempt
    [ -z "$2" ] && which=(/ve)
    for attempt in 1 2; do
        out=$(timeout 120 "$WINE" reg query "$1" "${which[@]}" 2>"$SCRATCH/reg.err")
        status=$?
        [ "$status" -le 1 ] && break
        # Once in a whole run a value the module had written read as missing: a reg.exe that
        # fails (exit above 1) is asked again, and the log says so.
        echo "     reg query $1 $2: exit $status ($(head -c 200 "$SCRATCH/reg.err")), attempt $attempt" >&2
    done
    echo "$out" | tr -d '\r'
}
reg_value() {  # "TYPE DATA" of a value as reg.exe prints it, or "missing"; name "" is the default value
    local out
    out=$(reg_query "$1" "$2" | awk -v v="${2:-(Default)}" '$1 == v { $1 = ""; sub(/^ +/, ""); print }')
    echo "${out:-missing}"
}
set_dword() { wine reg add "$SETTINGS" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }
report() { wine 'C:\windows\system32\rundll32.exe' "$DLL,$1" "$2"; }
key_state() { if timeout 120 "$WINE" reg query "$1" >/dev/null 2>&1; then echo present; else echo missing; fi; }
copydata_lines() { grep -c '^copydata' "$LOG" 2>/dev/null || true; }

wine wineboot -i >/dev/null
mkdir -p "$WINEPREFIX/drive_c/corvane"
cp "$BIN/cvblock.dll" "$WINEPREFIX/drive_c/corvane/"

echo "== registration that cannot write its keys"
check "failure reported as HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE)" "DllRegisterServer 0x800703fd" \
      "$(wine "$PROBE" "$DLL")"
check "no browser helper object key after the failure" missing "$(reg_value "$BHO" NoExplorer)"

echo "== registration"
wine regsvr32 /s "$DLL"; check "regsvr32 exit code" 0 "${PIPESTATUS[0]}"
check "InprocServer32 default" "REG_SZ $DLL" "$(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" "")"
check "ThreadingModel" "REG_SZ Apartment" "$(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" ThreadingModel | tr -s ' ')"
check "browser helper object key" "REG_DWORD 0x1" "$(reg_value "$BHO" NoExplorer | tr -s ' ')"

echo "== report with no Corvane window"
set_dword CRVNPBStatus 1
wine reg delete "$SETTINGS" /v EPWC /f >/dev/null
report ReportBlockedPopup "http://popup.example/nobody"
check "missing EPWC counted from 0" "REG_DWORD 0x1" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"

echo "== reports to a TCorvaneMain \"Preferences\" window"
"$WINE" "$RECEIVER" 'C:\corvane\received.log' >/dev/null 2>&1 &
RECEIVER_PID=$!
for _ in $(seq 1 60); do grep -q ready "$LOG" 2>/dev/null && break; sleep 0.5; done
check "receiver ready" ready "$(head -n1 "$LOG" 2>/dev/null)"

set_dword CRVNPBStatus 0
set_dword EPWC 5
report ReportBlockedPopup "http://popup.example/off"
check "blocking off: EPWC unchanged" "REG_DWORD 0x5" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "blocking off: nothing sent" 0 "$(copydata_lines)"

wine reg delete "$SETTINGS" /v CRVNPBStatus /f >/dev/null
report ReportBlockedPopup "http://popup.example/missing"
check "CRVNPBStatus missing: EPWC unchanged" "REG_DWORD 0x5" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "CRVNPBStatus missing: nothing sent" 0 "$(copydata_lines)"

set_dword CRVNPBStatus 1
report ReportBlockedPopup "  http://popup.example/on  "  # Wine quotes an argument with blanks
check "blocking on: EPWC incremented" "REG_DWORD 0x6" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "blocking on: payload (W form)" "copydata dwData=0 cbData=24 terminated=yes text=http://popup.example/on" \
      "$(grep '^copydata' "$LOG" | tail -n1)"

report ReportBlockedPopupA "http://popup.example/ansi"
check "A form: EPWC incremented" "REG_DWORD 0x7" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "A form: payload" "copydata dwData=0 cbData=26 terminated=yes text=http://popup.example/ansi" \
      "$(grep '^copydata' "$LOG" | tail -n1)"

report ReportBlockedPopup "http://exämple.example/ü"
check "non-ASCII address sent as UTF-8" "copydata dwData=0 cbData=27 terminated=yes text=http://exämple.example/ü" \
      "$(grep '^copydata' "$LOG" | tail -n1)"

long_address="http://popup.example/$(printf 'a%.0s' $(seq 1 3000))"
report ReportBlockedPopup "$long_address"
check "a long address is cut to 2084 characters" "copydata dwData=0 cbData=2085 terminated=yes" \
      "$(grep '^copydata' "$LOG" | tail -n1 | cut -d' ' -f1-4)"

set_dword EPWC 2147483647
report ReportBlockedPopup "http://popup.example/full"
check "count stops at its largest value" "REG_DWORD 0x7fffffff" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "messages received in all" 5 "$(copydata_lines)"

echo "== a report where the settings cannot be written (Low integrity)"
# The tag 0x4356 ("CV") in the high word, one pop-up window not counted in the low word.
set_dword EPWC 7
check "settings made query-only" "settings access query: 0" "$(wine "$PROBE" --settings query)"
report ReportBlockedPopup "http://popup.example/protected"
check "EPWC unchanged where it cannot be written" "REG_DWORD 0x7" "$(reg_value "$SETTINGS" EPWC | tr -s ' ')"
check "the pop-up handed to Corvane to count" \
      "copydata dwData=1129709569 cbData=31 terminated=yes text=http://popup.example/protected" \
      "$(grep '^copydata' "$LOG" | tail -n1)"
check "settings writable again" "settings access full: 0" "$(wine "$PROBE" --settings full)"
report ReportBlockedPopup "http://popup.example/writable"
check "writable: counted by the module, dwData 0 as before" "REG_DWORD 0x8 copydata dwData=0" \
      "$(reg_value "$SETTINGS" EPWC | tr -s ' ') $(grep '^copydata' "$LOG" | tail -n1 | cut -d' ' -f1-2)"
check "messages received in all" 7 "$(copydata_lines)"

echo "== the helper object in a stand-in browser"
timeout 120 "$WINE" "$BROWSER" 2>/dev/null | tr -d '\r' | sed 's/^/   /'
check "browser stand-in exit code (its failures)" 0 "${PIPESTATUS[0]}"
check "announced: the unrequested pop-up" "copydata dwData=0 cbData=33 terminated=yes text=http://popup.example/unrequested" \
      "$(grep '^copydata' "$LOG" | sed -n 8p)"
check "announced: the first of two, not the second" "copydata dwData=0 cbData=27 terminated=yes text=http://popup.example/first" \
      "$(grep '^copydata' "$LOG" | sed -n 9p)"
check "query-only: the first handed over, then the second" \
      "copydata dwData=1129709569 cbData=31 terminated=yes text=http://popup.example/protected|copydata dwData=1129709569 cbData=31 terminated=yes text=http://popup.example/protected" \
      "$(grep '^copydata' "$LOG" | sed -n '10,11p' | paste -sd'|')"
check "messages received in all" 11 "$(copydata_lines)"

echo "== unregistration"
wine regsvr32 /s /u "$DLL"; check "regsvr32 /u exit code" 0 "${PIPESTATUS[0]}"
check "CLSID key removed" missing "$(key_state "HKCR\\CLSID\\$CLSID")"
check "browser helper object key removed" missing "$(key_state "$BHO")"
check "the keys above them stay" present "$(key_state 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer')"

kill "$RECEIVER_PID" 2>/dev/null
echo "cvblock check: $failures failure(s)"
[ "$failures" -eq 0 ]
