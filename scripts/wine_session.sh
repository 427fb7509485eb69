# Sourced by the scripts that run the program under Wine on a display (the
# end-to-end tests, the benchmarks): a fresh Wine prefix in $work
# (wine_prefix.sh) and a virtual display of its own (the first free number
# from 90 on, of WINE_SCREEN pixels, 1024x768 unless set), both ended on
# exit. Sets WINE, WINESERVER, WINEPREFIX and DISPLAY.
source "$(dirname "${BASH_SOURCE[0]}")/wine_prefix.sh"

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${WINE_SCREEN:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
end_session() {
  end_prefix
  kill "$xvfb" >/dev/null 2>&1
  wait "$xvfb" 2>/dev/null
}
trap end_session EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
# Without a window manager Wine would wait on every hide for one to answer;
# and it draws its own window frames, so screenshots show captions.
timeout 120 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
timeout 120 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
# The desktop process (explorer, which draws the tray) started with the prefix,
# before these settings: ended here, the next program starts a new one that
# reads them. Otherwise its hides wait 2 s for a window manager, and every
# tray icon deletion with them.
timeout 20 "$WINESERVER" -k >/dev/null 2>&1
