#!/usr/bin/env bash
# Runs cookie_e2e.exe (from BIN) under Wine in a fresh prefix, from a copy in
# WORK so that its keep-list folder is made there. Extra arguments go to the
# test program. Ends the prefix's processes when done.
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
rm -rf "$work"
source "$(dirname "$0")/../../../scripts/wine_prefix.sh"
mkdir -p "$work/app"
cp "$bin/cookie_e2e.exe" "$work/app/"
timeout 240 "$WINE" "$work/app/cookie_e2e.exe" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)|^wine: '
exit "${PIPESTATUS[0]}"
