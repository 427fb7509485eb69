#!/usr/bin/env bash
# Checks the help project before it is compiled: every page listed in the
# project exists and is reachable from the contents, every local link
# resolves, and the cleaner pages are exactly those that the program's table
# of cleaners (src/cleaner/CleanerTable.h) names, one per cleaner.
# Usage: help/check.sh [help source folder]   (default: src beside this script)
set -u
src="${1:-$(dirname "$0")/src}"
hhp="$src/corvane.hhp"
failures=0
fail() { echo "help check: $*" >&2; failures=$((failures + 1)); }

[ -f "$hhp" ] || { echo "help check: project file $hhp not found" >&2; exit 1; }

# The [FILES] section, with Windows separators turned into '/'.
mapfile -t files < <(sed -n '/^\[FILES\]/,/^\[/p' "$hhp" | sed '1d;/^\[/d;/^[[:space:]]*$/d' | tr -d '\r' | tr '\\' '/')
[ "${#files[@]}" -gt 0 ] || fail "no [FILES] in $hhp"

for key in "Contents file" "Index file" "Default topic"; do
  value=$(grep -i "^$key=" "$hhp" | head -1 | cut -d= -f2- | tr -d '\r')
  if [ -z "$value" ]; then fail "$hhp has no '$key'"; elif [ ! -f "$src/$value" ]; then fail "$key '$value' does not exist"; fi
done
grep -q '^Title=Corvane Help' "$hhp" || fail "$hhp lacks Title=Corvane Help"
hhc="$src/$(grep -i '^Contents file=' "$hhp" | cut -d= -f2- | tr -d '\r')"
hhk="$src/$(grep -i '^Index file=' "$hhp" | cut -d= -f2- | tr -d '\r')"

# Values of the "Local" parameters of a sitemap file.
sitemap_locals() { grep -o -i '<param name="Local" value="[^"]*"' "$1" | sed 's/.*value="//;s/"$//' | tr '\\' '/'; }
mapfile -t toc < <(sitemap_locals "$hhc")

pages=()
for f in "${files[@]}"; do
  [ -f "$src/$f" ] || { fail "listed in the project but missing: $f"; continue; }
  case "$f" in *.htm|*.html) pages+=("$f") ;; esac
done

# Every page is in the contents; every page on disk is in the project.
for p in "${pages[@]}"; do
  printf '%s\n' "${toc[@]}" | grep -qxF "$p" || fail "page not in the contents ($hhc): $p"
done
while IFS= read -r p; do
  p="${p#"$src"/}"
  printf '%s\n' "${files[@]}" | grep -qxF "$p" || fail "page on disk but not in the project: $p"
done < <(find "$src" -name '*.htm' | sort)

# Every local link of the pages, the contents and the index resolves.
check_target() { # from-file target
  local from="$1" target="${2%%#*}"
  [ -z "$target" ] && return
  case "$target" in http:*|https:*|mailto:*|ms-its:*|mk:*) return ;; esac
  local dir; dir=$(dirname "$from")
  [ -e "$dir/$target" ] || fail "broken link in ${from#"$src"/}: $2"
}
for p in "${pages[@]}"; do
  while IFS= read -r link; do check_target "$src/$p" "$link"
  done < <(grep -o -i -E '(href|src)="[^"]*"' "$src/$p" | sed -E 's/^[^"]*"//;s/"$//')
done
for map in "$hhc" "$hhk"; do
  while IFS= read -r link; do check_target "$map" "$link"; done < <(sitemap_locals "$map")
done

# One page per cleaner, as the table of cleaners names them.
table="$(dirname "$0")/../src/cleaner/CleanerTable.h"
mapfile -t named < <(grep -o '"cleaners/[^"]*"' "$table" | tr -d '"' | sort)
mapfile -t listed < <(printf '%s\n' "${pages[@]}" | grep '^cleaners/' | sort)
[ "${#named[@]}" -gt 0 ] || fail "no cleaner pages named in $table"
[ "$(printf '%s\n' "${named[@]}" | uniq -d)" = "" ] || fail "a cleaner page is named twice in $table"
for p in "${named[@]}"; do printf '%s\n' "${listed[@]}" | grep -qxF "$p" || fail "no page $p for its cleaner"; done
for p in "${listed[@]}"; do printf '%s\n' "${named[@]}" | grep -qxF "$p" || fail "cleaner page $p belongs to no cleaner"; done
cleaners=${#listed[@]}

if [ "$failures" -ne 0 ]; then
  echo "help check: $failures problem(s) found" >&2
  exit 1
fi
echo "help check: ${#pages[@]} pages, $cleaners cleaner pages, all listed, all links resolve"
