#!/usr/bin/env bash
# Runs cleaner_e2e.exe (in BIN) under Wine in a fresh prefix in WORK. Before
# the run it puts Unix symbolic links, which Wine lists as reparse points,
# into the prefix's temporary folder and, standing for links another user
# planted, into the application data of all users (C:\ProgramData), each
# leading to a folder outside; after the run it checks from the Unix side
# that every target is whole. Extra arguments go to the test program.
set -u
bin=$(readlink -f "$1"); work=$(readlink -m "$2"); shift 2
rm -rf "$work"
source "$(dirname "$0")/../../../scripts/wine_prefix.sh"
export LC_ALL=C.UTF-8

# The first start creates the prefix and its profile folders.
timeout 180 "$WINE" "$bin/cleaner_e2e.exe" --gtest_list_tests >/dev/null 2>&1
temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
if [ ! -d "$temp" ]; then echo "FAIL: no temporary folder at $temp"; exit 1; fi

# The link's target: a folder of the user's documents outside the temporary tree.
target="$WINEPREFIX/drive_c/precious"
mkdir -p "$target/inner" "$temp/links"
printf 'thesis' >"$target/thesis.doc"
printf 'notes' >"$target/inner/notes.txt"
printf '[.ShellClassInfo]' >"$target/desktop.ini"
ln -s "$target" "$temp/links/to-precious"
ln -s "$target" "$temp/to-precious-top"
mkdir -p "$WINEPREFIX/drive_c/empty-target"
ln -s "$WINEPREFIX/drive_c/empty-target" "$temp/to-empty"
# Links to files, which Wine lists and opens as their targets: only the
# name an open handle reached tells them.
ln -s "$target/thesis.doc" "$temp/links/thesis.doc"
ln -s "$target/inner/notes.txt" "$temp/notes-link.txt"
# A second name (a hard link) in the temporary folder for a read-only file
# outside it: the bit is the file's, and must stay.
printf 'signed' >"$target/signed.pdf"
chmod 444 "$target/signed.pdf"
ln "$target/signed.pdf" "$temp/signed.pdf"

# Another user's files, and links to them planted at each level below
# C:\ProgramData that the application steps clean: the folder itself (media
# index), its parent (Office, for Recent), the first level (Systems, for
# ACDSee\) and a subfolder of a folder of the step's own (RealOne's history).
data="$WINEPREFIX/drive_c/ProgramData"
other="$WINEPREFIX/drive_c/users/other"
mkdir -p "$other/media" "$other/office/Recent" "$other/acd/ACDSee" "$other/history" "$data/Microsoft" \
  "$data/RealRealOne Player"
printf 'mine' >"$other/media/library.wmdb"
printf 'mine' >"$other/office/Recent/letter.doc"
printf 'mine' >"$other/acd/ACDSee/imageDB.ddf"
printf 'mine' >"$other/history/played.rpl"
printf 'mine' >"$other/history/urls.ini"
ln -s "$other/media" "$data/Microsoft/Media Index"
ln -s "$other/office" "$data/Microsoft/Office"
ln -s "$other/acd" "$data/Systems"
ln -s "$other/history" "$data/RealRealOne Player/history"
printf 'x' >"$data/RealRealOne Player/urls.ini"
# A link to a file, in the place of a file the media player step deletes by
# its path.
ln -s "$other/media/library.wmdb" "$WINEPREFIX/drive_c/windows/wmplibrary_v_0_12.db"

# The user's Recent folder, moved elsewhere and left behind as a link, as a
# junction would: the folder the system names is emptied where it leads.
recent="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Recent"
moved="$WINEPREFIX/drive_c/moved-recent"
mkdir -p "$moved" "$(dirname "$recent")"
if [ -d "$recent" ]; then cp -a "$recent/." "$moved/"; rm -rf "$recent"; fi
ln -s "$moved" "$recent"

timeout 240 "$WINE" "$bin/cleaner_e2e.exe" "$@" 2>&1 | grep -v -E '^(ALSA|[0-9a-f]{4}:(fixme|err):)'
status=${PIPESTATUS[0]}

# What the Unix side sees: every target whole. Wine cannot remove a Unix
# symbolic link to a folder without reaching the folder itself, so the links
# stay as they were (on Windows they go).
check() { if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; status=1; fi; }
check "link inside a subfolder left leading to its target" "$target" "$(readlink "$temp/links/to-precious")"
check "link at the top left leading to its target" "$target" "$(readlink "$temp/to-precious-top")"
check "link to a file left leading to its target" "$target/thesis.doc" "$(readlink "$temp/links/thesis.doc")"
check "target file kept" "thesis" "$(cat "$target/thesis.doc" 2>/dev/null)"
check "target subfolder file kept" "notes" "$(cat "$target/inner/notes.txt" 2>/dev/null)"
check "target desktop.ini kept" "[.ShellClassInfo]" "$(cat "$target/desktop.ini" 2>/dev/null)"
check "a read-only file with a second name in the tree kept read-only" "444" "$(stat -c %a "$target/signed.pdf")"
check "empty target folder kept" "yes" "$([ -d "$WINEPREFIX/drive_c/empty-target" ] && echo yes || echo no)"
for kept in media/library.wmdb office/Recent/letter.doc acd/ACDSee/imageDB.ddf history/played.rpl history/urls.ini; do
  check "another user's $kept kept behind a planted link" "mine" "$(cat "$other/$kept" 2>/dev/null)"
done
check "a link to a file deleted by its path left alone" "$other/media/library.wmdb" \
  "$(readlink "$WINEPREFIX/drive_c/windows/wmplibrary_v_0_12.db")"
check "the moved Recent folder still reached through its link" "$moved" "$(readlink "$recent")"
check "the moved Recent folder kept its desktop.ini" "recent" "$(cat "$moved/desktop.ini" 2>/dev/null)"
check "the moved Recent folder kept the jump lists" "pins" \
  "$(cat "$moved/AutomaticDestinations/f01b4d95cf55d32a.automaticDestinations-ms" 2>/dev/null)"
check "a recent document gone from the moved folder" "gone" "$([ -e "$moved/report.doc.lnk" ] && echo there || echo gone)"
own="$data/RealRealOne Player/urls.ini"
check "the player's own urls.ini deleted" "gone" "$([ -e "$own" ] && echo there || echo gone)"
exit "$status"
