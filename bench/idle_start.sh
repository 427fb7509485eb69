# Sourced by the idle benchmarks: builds corvane.exe and the minimal tray
# program, starts both in the tray of one fresh Wine prefix on a virtual
# display, with no schedule set and no pop-up notification, and lets them
# settle. Sets $corvane and $tray, the Linux ids of their processes: the
# loader runs each program in the process it was started as. Needs $top and
# $work; ends the prefix and the display on exit.
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target corvane idle_tray >/dev/null || exit 1
source "$top/scripts/wine_session.sh"
mkdir -p "$work/app"
cp "$top/build/win64/bin/corvane.exe" "$top/build/win64/bin/idle_tray.exe" "$work/app/"

# The settings key with the auto cleaner and the pop-up notifications off, so
# that the start shows no message and sets no timer; cleaning on a browser's
# close on, so that its window hook is set and waits.
key='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
for value in AutoCleaner CRVNPBStatus SoundNotification AnimTrayIcon; do
  timeout 60 "$WINE" reg add "$key" /v "$value" /t REG_DWORD /d 0 /f >/dev/null 2>&1
done
timeout 60 "$WINE" reg add "$key" /v CleanOnBrowserClose /t REG_DWORD /d 1 /f >/dev/null 2>&1
# A user who has seen the first start's hint about the tray icon.
timeout 60 "$WINE" reg add 'HKCU\Software\Tessaly\Corvane' /v TrayIconHintShown /t REG_DWORD /d 1 /f >/dev/null 2>&1

"$WINE" "$work/app/corvane.exe" >/dev/null 2>&1 &
corvane=$!
"$WINE" "$work/app/idle_tray.exe" >/dev/null 2>&1 &
tray=$!
sleep 15  # the start, the splash, the tray icon

for pair in "$corvane corvane.exe" "$tray idle_tray.exe"; do
  set -- $pair
  grep -qF "($2)" "/proc/$1/stat" 2>/dev/null || { echo "$2 is not running"; exit 1; }
done
