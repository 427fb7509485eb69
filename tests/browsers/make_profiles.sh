#!/usr/bin/env bash
# Makes real browser profiles for the tests: Debian's Chromium and Firefox ESR,
# headless, visit sites served on 127.0.0.1 (sites.py) that set cookies for
# several hosts. Installs nothing (scripts/setup.sh does). The profiles are
# made again only when a browser's version changed, so a new version's schema
# reaches the tests.
# Usage: bash tests/browsers/make_profiles.sh OUT
# OUT/chromium      a user data folder: Local State, Default, Profile 1
# OUT/firefox/home  a home folder: .config/mozilla/firefox/profiles.ini and its
#                   relative profile, whose cache is in .cache/mozilla/firefox
set -u
out=${1:?usage: make_profiles.sh OUT}
here=$(cd "$(dirname "$0")" && pwd)
for program in chromium firefox-esr python3; do
  command -v "$program" >/dev/null || { echo "missing: $program (scripts/setup.sh installs it)"; exit 1; }
done
versions="$(chromium --version 2>/dev/null | head -n1); $(firefox-esr --version 2>/dev/null | head -n1)"
if [ -f "$out/versions" ] && [ "$(cat "$out/versions")" = "$versions" ]; then
  echo "up to date: $versions"; exit 0
fi
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)  # Firefox wants its HOME absolute

# Runs a command in a process group of its own for at most $1 seconds, then
# ends whatever of that group is left (a browser's helper processes).
bounded() {
  local seconds=$1; shift
  setsid timeout -k 5 "$seconds" "$@" &
  local pid=$!
  wait "$pid"
  local status=$?
  kill -KILL -- "-$pid" 2>/dev/null
  return $status
}

python3 "$here/sites.py" >"$out/port" 2>"$out/sites.log" &
server=$!
trap 'kill $server 2>/dev/null' EXIT
for _ in $(seq 50); do [ -s "$out/port" ] && break; sleep 0.1; done
port=$(head -n1 "$out/port")
[ -n "$port" ] || { echo "the site server did not start"; exit 1; }
start="http://kept.example:$port/start"

status=0
# Chromium: two profiles, each visiting the chain.
for profile in Default "Profile 1"; do
  bounded 90 chromium --headless=new --no-sandbox --no-first-run --disable-gpu --user-data-dir="$out/chromium" \
    --profile-directory="$profile" --host-resolver-rules="MAP *.example 127.0.0.1" --dump-dom "$start" \
    >"$out/chromium-dom.html" 2>"$out/chromium.log" || { echo "chromium ($profile) failed"; status=1; }
done

# Firefox: a profile made by Firefox itself, so profiles.ini is its own.
home="$out/firefox/home"
mkdir -p "$home"
bounded 60 env HOME="$home" firefox-esr -headless -CreateProfile corvane >"$out/firefox.log" 2>&1 ||
  { echo "firefox could not make a profile"; status=1; }
profile=$(ls -d "$home"/.config/mozilla/firefox/*.corvane 2>/dev/null | head -n1)
if [ -n "$profile" ]; then
  echo 'user_pref("network.dns.forceResolve", "127.0.0.1");' >"$profile/user.js"
  bounded 120 env HOME="$home" firefox-esr --headless --no-remote --profile "$profile" --screenshot "$out/firefox.png" \
    "$start" >>"$out/firefox.log" 2>&1 || { echo "firefox failed"; status=1; }
else
  status=1
fi

[ $status -eq 0 ] && echo "$versions" >"$out/versions"
find "$out" -maxdepth 4 \( -name Cookies -o -name History -o -name cookies.sqlite -o -name places.sqlite \
  -o -name formhistory.sqlite -o -name "Web Data" -o -name profiles.ini \) | sed "s|^$out/||" | sort
exit $status
