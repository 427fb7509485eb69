#!/usr/bin/env bash
# Makes real browser profiles for the tests: Debian's Chromium and Firefox ESR,
# headless, visit sites served on 127.0.0.1 (sites.py) that set cookies for
# several hosts; Firefox is driven through its remote protocol so that it
# keeps form history and writes its session (firefox_visit.py). Each browser
# also keeps what a cleaning must leave: one saved password (Chromium's
# Login Data, Firefox's logins.json and key4.db), and Chromium a Bookmarks
# file (chromium_saves.py; Firefox has its default bookmarks). Installs
# nothing (scripts/setup.sh does). The profiles are made again only when a
# browser's version or this maker changed, so a new version's schema reaches
# the tests.
# Usage: bash tests/browsers/make_profiles.sh OUT
# OUT/chromium      a user data folder: Local State, Default (with the password
#                   and the bookmark), Profile 1
# OUT/firefox/home  a home folder: .config/mozilla/firefox/profiles.ini and its
#                   relative profile, whose cache is in .cache/mozilla/firefox
set -u
out=${1:?usage: make_profiles.sh OUT}
here=$(cd "$(dirname "$0")" && pwd)
for program in chromium firefox-esr python3; do
  command -v "$program" >/dev/null || { echo "missing: $program (scripts/setup.sh installs it)"; exit 1; }
done
versions="$(chromium --version 2>/dev/null | head -n1); $(firefox-esr --version 2>/dev/null | head -n1)"
versions="$versions; maker $(cat "$here"/* | sha256sum | cut -c1-12)"
if [ -f "$out/versions" ] && [ "$(cat "$out/versions")" = "$versions" ]; then
  echo "up to date: $versions"; exit 0
fi
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)  # Firefox wants its HOME absolute

source "$here/browsers.sh"
start_sites "$out" || { echo "the site server did not start"; exit 1; }
trap stop_sites EXIT
start="http://kept.example:$port/start"

status=0
# Chromium: two profiles, each visiting the chain.
for profile in Default "Profile 1"; do
  chromium_visit "$out/chromium" "$profile" "$start" "$out/chromium" || { echo "chromium ($profile) failed"; status=1; }
done
timeout -k 5 100 python3 "$here/chromium_saves.py" "$out/chromium" Default "$start" 2>>"$out/chromium.log" ||
  { echo "chromium kept no password or bookmark"; status=1; }

# Firefox: a profile made by Firefox itself, so profiles.ini is its own.
home="$out/firefox/home"
mkdir -p "$home"
timeout -k 5 60 env HOME="$home" firefox-esr -headless -CreateProfile corvane >"$out/firefox.log" 2>&1 ||
  { echo "firefox could not make a profile"; status=1; }
profile=$(ls -d "$home"/.config/mozilla/firefox/*.corvane 2>/dev/null | head -n1)
if [ -n "$profile" ]; then
  firefox_visit "$home" "$profile" "$out/firefox.log" --save-login "$start" "http://last.example:$port/form" ||
    { echo "firefox failed"; status=1; }
else
  status=1
fi

[ $status -eq 0 ] && echo "$versions" >"$out/versions"
find "$out" -maxdepth 7 \( -name Cookies -o -name History -o -name cookies.sqlite -o -name places.sqlite \
  -o -name formhistory.sqlite -o -name sessionstore.jsonlz4 -o -name "Web Data" -o -name profiles.ini \
  -o -name "Login Data" -o -name Bookmarks -o -name logins.json \) | sed "s|^$out/||" | sort
exit $status
