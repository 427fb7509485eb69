#!/usr/bin/env bash
# Puts the end-to-end walk's pictures of today's windows into docs/screenshots,
# under the names the README and docs/ use, and removes any other picture
# there, so that the pages show the program as this build draws it. Fails when
# a picture was not taken; the community window's only when the Winapp2
# project's file was there to take it (its test skips otherwise, and the
# picture there stays).
# Usage: bash scripts/keep_screenshots.sh SCREENSHOTS_FOLDER DOCS_SCREENSHOTS_FOLDER
set -u
from=$1 to=$2
pictures=(
  "dpi96-splash splash"
  "tray-menu tray-menu"
  "dpi96-preferences preferences"
  "dpi96-history-internet-explorer history-internet-explorer"
  "dpi96-history-windows history-windows"
  "dpi96-history-applications history-applications"
  "dpi96-history-browsers history-browsers"
  "dpi96-history-windows-10-11 history-windows-10-11"
  "dpi96-cookie-manager cookie-manager"
  "community-cleaners community-cleaners"
  "dpi96-popup-blocker popup-blocker"
  "dpi96-sound-chooser sound-chooser"
  "dpi96-hotkey hotkey"
  "dpi96-about about"
)
mkdir -p "$to"
status=0 kept=()
for pair in "${pictures[@]}"; do
  read -r taken name <<<"$pair"
  kept+=("$name.png")
  if [ ! -f "$from/$taken.png" ]; then
    if [ "$name" = community-cleaners ] && [ -f "$to/$name.png" ]; then
      echo "not taken this run, kept as it was: $name.png"
      continue
    fi
    echo "missing: $from/$taken.png"; status=1; continue
  fi
  # Without the PNG's time stamps: an unchanged window leaves the file unchanged.
  convert "$from/$taken.png" -strip "$to/$name.png" || status=1
done
for file in "$to"/*; do
  [ -e "$file" ] || continue
  case " ${kept[*]} " in *" $(basename "$file") "*) ;; *) rm -f "$file"; echo "removed: $file" ;; esac
done
[ $status -eq 0 ] && echo "kept ${#kept[@]} pictures in $to"
exit $status
