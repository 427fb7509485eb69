# Sourced by the scripts that run a program under Wine (the end-to-end tests,
# the benchmarks): a fresh Wine prefix in $work, whose processes are ended on
# exit. Sets WINE, WINESERVER and WINEPREFIX.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
rm -rf "$work/prefix"
mkdir -p "$work"
# No Mono or Gecko installer dialogs while the prefix is created.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
end_prefix() { timeout 20 "$WINESERVER" -k >/dev/null 2>&1; }
trap end_prefix EXIT
