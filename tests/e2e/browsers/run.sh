#!/usr/bin/env bash
# The browsers under Wine: the real Chromium and Firefox profiles that
# tests/browsers/make_profiles.sh makes, laid out as on Windows in a fresh
# prefix (Chromium's Cookies under Network\, Firefox's profile listed in
# profiles.ini under the roaming folder). /preview changes no file; /clean
# removes the history and every cookie but the kept site's, leaves the
# passwords as they were, and every database passes integrity_check; a
# running browser (a stand-in with its program file's name) and a database
# another program holds locked are skipped and named, with exit 4; then the
# real Linux Chromium and Firefox open the cleaned profiles and find them whole.
# Usage: run.sh BIN WORK [PROFILES]
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2")
profiles=$(readlink -f "${3:-$(dirname "$0")/../../../build/browser-profiles}")
rm -rf "$work"
source "$(dirname "$0")/../../../scripts/wine_prefix.sh"
unset DISPLAY
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi; }

mkdir -p "$work/app/Settings"
cp "$bin/corvane.exe" "$work/app/"
printf 'kept.example\r\n' > "$work/app/Settings/SafeCookies.txt"
timeout 120 "$WINE" wineboot -i >/dev/null 2>&1
home=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/$' | head -n1)
chrome="$home/AppData/Local/Google/Chrome/User Data"
firefox="$home/AppData/Roaming/Mozilla/Firefox"
mkdir -p "$chrome/Default/Network" "$firefox/Profiles"
cp "$profiles/chromium/Local State" "$chrome/"
cp -r "$profiles/chromium/Default/." "$chrome/Default/"
mv "$chrome/Default/Cookies" "$chrome/Default/Network/Cookies"
cp -r "$profiles"/firefox/home/.config/mozilla/firefox/*.corvane "$firefox/Profiles/p.corvane"
printf '[Profile0]\r\nName=corvane\r\nIsRelative=1\r\nPath=Profiles/p.corvane\r\n' > "$firefox/profiles.ini"
key='HKLM\SOFTWARE\Tessaly\Corvane\Version2\Settings'
for item in BrowserCache BrowserCookies BrowserHistory BrowserFormData BrowserSessions; do
  timeout 60 "$WINE" reg add "$key" /v "$item" /t REG_DWORD /d 1 /f >/dev/null 2>&1
done

sums() { (cd "$home/AppData" && find . -path ./Local/Corvane -prune -o -type f -print0 | sort -z | xargs -0 sha256sum); }
corvane() { timeout 120 "$WINE" "$work/app/corvane.exe" "$@" > "$work/out.txt" 2>/dev/null; echo $?; }
sums > "$work/before.txt"
check "/preview exits 0" '[ "$(corvane /preview)" = 0 ]'
cp "$work/out.txt" "$work/preview.txt"
sums > "$work/after-preview.txt"
check "/preview changes no file" 'cmp -s "$work/before.txt" "$work/after-preview.txt"'
check "the preview names the kept site" 'grep -q "kept: .*kept.example" "$work/preview.txt"'
# A browser running: a copy of Wine's ping.exe named chrome.exe, pinging for
# a while with no window, as Chrome kept in the background. Chrome is skipped
# whole and named; Firefox is cleaned. Asked to close it first, the Restart
# Manager finds none of its processes holding the profile (Wine's RmGetList
# lists nobody; on Windows the stand-in holds no file either): it is left
# running and named.
cp "$WINEPREFIX/drive_c/windows/system32/ping.exe" "$work/chrome.exe"
"$WINE" "$work/chrome.exe" -n 40 127.0.0.1 >/dev/null 2>&1 &
browser=$!
sleep 3
check "/clean with Chrome running exits 4" '[ "$(corvane /clean)" = 4 ]'
check "the report names the browser running in the background" \
  'grep -q "Google Chrome: skipped, it runs in the background with no window open (chrome.exe), kept there by its setting" "$work/out.txt"'
check "/clean /closebackground with Chrome running exits 4" '[ "$(corvane /clean /closebackground)" = 4 ]'
check "the report says Chrome could not be closed" \
  'grep -q "Google Chrome could not be closed: Windows found none of its processes holding its profile" "$work/out.txt"'
check "Chrome's files are as they were" \
  '[ "$(grep "/Google/" "$work/before.txt")" = "$(sums | grep "/Google/")" ]'
kill "$browser"; wait "$browser" 2>/dev/null
timeout 20 "$WINESERVER" -w >/dev/null 2>&1 || timeout 20 "$WINESERVER" -k >/dev/null 2>&1

# Another program holds Web Data locked (SQLite on Linux takes the same
# byte-range locks Wine gives SQLite on Windows): skipped and named, exit 4.
python3 -c 'import sqlite3, sys, time
db = sqlite3.connect(sys.argv[1], isolation_level=None); db.execute("BEGIN EXCLUSIVE"); print("locked", flush=True)
time.sleep(60)' "$chrome/Default/Web Data" > "$work/lock.txt" &
locker=$!
for _ in $(seq 50); do grep -q locked "$work/lock.txt" && break; sleep 0.1; done
check "/clean with a database in use exits 4" '[ "$(corvane /clean)" = 4 ]'
kill "$locker"; wait "$locker" 2>/dev/null
check "the report names the file in use" 'grep -q "Skipped .*Web Data: in use by another program" "$work/out.txt"'
check "/clean exits 0" '[ "$(corvane /clean)" = 0 ]'
cp "$work/out.txt" "$work/clean.txt"
check "the report has a section per profile" \
  'grep -q "Google Chrome, profile" "$work/clean.txt" && grep -q "Firefox, profile corvane" "$work/clean.txt"'
check "nothing was skipped the second time" '! grep -q "Skipped" "$work/clean.txt"'
# What a cleaning never touches: both browsers' saved password, key database and Chromium's bookmarks.
keeps() { grep -E "/(Login Data|logins\.json|key4\.db|Bookmarks)\$"; }
check "the passwords and bookmarks are as they were" \
  '[ "$(keeps < "$work/before.txt" | wc -l)" -ge 4 ] && [ "$(keeps < "$work/before.txt")" = "$(sums | keeps)" ]'
export PYTHONPATH="$(cd "$(dirname "$0")" && pwd)"
python3 - "$chrome/Default" "$firefox/Profiles/p.corvane" <<'PY' || failed=1
import glob, os, sys
from dbcheck import rows, check, finish
chrome, firefox = sys.argv[1:3]
kept = lambda host: host.lstrip(".").lower() in ("kept.example", "www.kept.example")
check("Chromium's history is gone", rows(chrome + "/History", "SELECT count(*) FROM urls")[0][0] == 0)
hosts = [h for (h,) in rows(chrome + "/Network/Cookies", "SELECT host_key FROM cookies")]
check("Chromium keeps the kept site's cookies only", hosts and all(kept(h) for h in hosts))
hosts = [h for (h,) in rows(firefox + "/cookies.sqlite", "SELECT host FROM moz_cookies")]
check("Firefox keeps the kept site's cookies only", hosts and all(kept(h) for h in hosts))
check("Firefox's visits are gone", rows(firefox + "/places.sqlite", "SELECT count(*) FROM moz_historyvisits")[0][0] == 0)
check("Firefox's bookmarks stay", rows(firefox + "/places.sqlite", "SELECT count(*) FROM moz_bookmarks WHERE fk IS NOT NULL")[0][0] > 0)
for path in glob.glob(chrome + "/**", recursive=True) + glob.glob(firefox + "/*.sqlite"):
    if os.path.isfile(path) and open(path, "rb").read(16) == b"SQLite format 3\0":
        check("integrity of " + os.path.basename(path), rows(path, "PRAGMA integrity_check") == [("ok",)])
finish()
PY

# The real browsers on the cleaned profiles, laid out as on Linux again (its
# Chromium keeps Cookies in the profile folder): each starts, visits a site
# the profiles never saw and ends as usual, and finds its bookmarks,
# passwords and the kept site's cookies where they were, and sound databases.
source "$(dirname "$0")/../../browsers/browsers.sh"
again="$work/reopened"
mkdir -p "$again/chromium/Default" "$again/firefox"
cp "$chrome/Local State" "$again/chromium/"
cp -r "$chrome/Default/." "$again/chromium/Default/"
mv "$again/chromium/Default/Network/Cookies" "$again/chromium/Default/Cookies"
cp -r "$firefox/Profiles/p.corvane" "$again/firefox/profile"
python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM logins").fetchone()[0])' \
  "$again/chromium/Default/Login Data" >"$again/logins.txt"
if start_sites "$again"; then
  visit="http://new.example:$port/again"
  check "Chromium opens the cleaned profile and ends normally" \
    'chromium_visit "$again/chromium" Default "$visit" "$again/chromium-run"'
  check "Firefox opens the cleaned profile and ends normally" \
    'firefox_visit "$again/firefox" "$again/firefox/profile" "$again/firefox.log" "$visit"'
  stop_sites
else
  check "the sites for the browsers start" false
fi
check "neither browser put a database aside as damaged" \
  '[ -z "$(find "$again" -iname "*corrupt*")" ] && ! grep -q -i -E "corrupt|malformed" "$again"/*.log'
python3 - "$again" "$firefox/Profiles/p.corvane" <<'PY' || failed=1
import glob, os, sys
from dbcheck import rows, check, finish
again, cleaned = sys.argv[1:3]
chrome, firefox = again + "/chromium/Default", again + "/firefox/profile"
for name, jar, column in (("Chromium", chrome + "/Cookies", "host_key FROM cookies"),
                          ("Firefox", firefox + "/cookies.sqlite", "host FROM moz_cookies")):
    hosts = {h.lstrip(".") for (h,) in rows(jar, "SELECT " + column)}
    check(name + " keeps the kept site's cookies and adds the new site's, no other",
          hosts == {"kept.example", "www.kept.example", "new.example"})
visited = [u for (u,) in rows(chrome + "/History", "SELECT url FROM urls")]
check("Chromium's history holds the new visit only", visited and all("new.example" in u for u in visited))
visited = [u for (u,) in rows(firefox + "/places.sqlite", "SELECT url FROM moz_places WHERE visit_count > 0")]
check("Firefox's history holds the new visit only", visited and all("new.example" in u for u in visited))
bookmarks = "SELECT b.title, p.url FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.id"
check("Firefox's bookmarks are as the cleaning left them",
      rows(firefox + "/places.sqlite", bookmarks) == rows(cleaned + "/places.sqlite", bookmarks) != [])
logins = open(again + "/logins.txt").read().strip()
check("Chromium's passwords database holds its logins",
      str(rows(chrome + "/Login Data", "SELECT count(*) FROM logins")[0][0]) == logins)
check("Firefox's key database is there", os.path.getsize(firefox + "/key4.db") > 0)
databases = [p for p in glob.glob(again + "/**", recursive=True)
             if os.path.isfile(p) and open(p, "rb").read(16) == b"SQLite format 3\0"]
damaged = [os.path.relpath(p, again) for p in databases if rows(p, "PRAGMA integrity_check") != [("ok",)]]
check(f"the {len(databases)} databases pass integrity_check after the browsers wrote to them" +
      (f", but for {damaged}" if damaged else ""),
      databases and not damaged)
finish()
PY
exit "$failed"
