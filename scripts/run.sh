#!/usr/bin/env bash
# Builds Corvane and its installer, installs it silently into a Wine prefix in
# the build tree, as a Windows user gets it, and starts the installed program.
# Without DISPLAY it runs on a virtual display (Xvfb), which it keeps for the
# next run, and writes a screenshot of it. `bash scripts/run.sh stop` ends the
# program, the prefix's other processes and the virtual display.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
state="$top/build/win64/run"  # the lock, the virtual display's number and pid, the screenshot
export WINEPREFIX="$top/build/win64/wineprefix" WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is created: on a virtual
# display nobody could answer them.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$state"

# The pid of the Xvfb an earlier run started, while it still serves the
# display recorded with it.
recorded_xvfb() {
  local pid display
  pid=$(cat "$state/xvfb.pid" 2>/dev/null) && display=$(cat "$state/display" 2>/dev/null) || return 1
  case "$(ps -o args= -p "$pid" 2>/dev/null)" in
    "Xvfb :$display "*) echo "$pid" ;;
    *) return 1 ;;
  esac
}

if [ "${1:-}" = stop ]; then
  timeout 30 "$wineserver" -k 2>/dev/null || true
  if pid=$(recorded_xvfb); then kill "$pid" && echo "Ended the virtual display (Xvfb, pid $pid)."; fi
  rm -f "$state/xvfb.pid" "$state/display"
  echo "Ended what ran in $WINEPREFIX."
  exit 0
fi

# One run at a time: a second one waits here until the first has started
# Corvane. flock itself holds the lock (-o), so that the programs started
# below (Xvfb, Wine) do not keep it after this script has ended.
if [ -z "${CORVANE_RUN_LOCKED:-}" ]; then
  CORVANE_RUN_LOCKED=1 exec flock -o -w 900 "$state/lock" bash "$0" "$@"
fi

bash scripts/setup.sh

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target corvane_installer  # corvane.exe, cvblock.dll, sounds and help first

virtual=0
if [ -z "${DISPLAY:-}" ]; then
  virtual=1
  if pid=$(recorded_xvfb); then
    display=$(cat "$state/display")
    echo "No display: using the virtual display :$display of an earlier run (Xvfb, pid $pid)."
  else
    # Whatever ran on a display that is gone cannot be reached any more.
    timeout 30 "$wineserver" -k 2>/dev/null || true
    display=80
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    setsid Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    if ! kill -0 "$pid" 2>/dev/null || [ ! -e "/tmp/.X11-unix/X$display" ]; then
      echo "Xvfb could not start on :$display." >&2
      exit 1
    fi
    echo "$pid" >"$state/xvfb.pid"
    echo "$display" >"$state/display"
    echo "No display: Corvane runs on the virtual display :$display (Xvfb, pid $pid)."
  fi
  export DISPLAY=":$display"
fi

# The installer ends a Corvane that an earlier run started, through its own Exit.
echo "Installing: corvane-setup.exe /S into $WINEPREFIX ..."
if ! timeout 300 "$wine" "$top/build/win64/corvane-setup.exe" /S >"$state/install.log" 2>&1; then
  echo "The installer failed (Wine's output: $state/install.log)." >&2
  exit 1
fi
exe="$WINEPREFIX/drive_c/Program Files/Corvane/corvane.exe"
[ -f "$exe" ] || { echo "The installer did not put corvane.exe in place ($exe)." >&2; exit 1; }

x11_driver() { timeout 120 "$wine" reg "$1" 'HKCU\Software\Wine\X11 Driver' "${@:2}" /f >/dev/null 2>&1 || true; }
if [ "$virtual" = 1 ]; then
  # No window manager there: Wine draws the frames itself, and does not wait
  # for a manager on every hide.
  x11_driver add /v Managed /d N
  x11_driver add /v Decorated /d Y
else
  x11_driver delete /v Managed  # the desktop's window manager frames the windows
fi
# Wine reads these when a process starts: let the prefix's processes (the
# tray's among them) end, so that they start again with them.
timeout 30 "$wineserver" -w || timeout 30 "$wineserver" -k || true

setsid "$wine" 'C:\Program Files\Corvane\corvane.exe' >"$state/corvane.log" 2>&1 </dev/null &
echo "Corvane started (the installed C:\\Program Files\\Corvane\\corvane.exe, display $DISPLAY)."
echo "To end it: Exit in its tray menu, or bash scripts/run.sh stop"

[ "$virtual" = 1 ] || exit 0
# On the virtual display: wait for the tray icon, then for the splash to go.
# A window of Corvane that stays is a message box waiting for an answer.
visible() { xdotool search --onlyvisible "$@" 2>/dev/null || true; }
for _ in $(seq 120); do [ -n "$(visible --name '^Wine System Tray$')" ] && break; sleep 0.5; done
for _ in $(seq 20); do [ -z "$(visible --classname '^corvane\.exe$')" ] && break; sleep 0.5; done
shot="$state/screen.png"
import -window root "$shot"
if [ -z "$(visible --name '^Wine System Tray$')" ]; then
  echo "Corvane has not reached the tray within a minute (its output: $state/corvane.log)."
fi
for window in $(visible --classname '^corvane\.exe$'); do
  echo "Corvane shows \"$(xdotool getwindowname "$window")\" and waits for an answer."
done
echo "Screenshot of the virtual display: $shot"
echo "A new one: DISPLAY=$DISPLAY import -window root $shot"
