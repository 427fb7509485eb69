#!/usr/bin/env bash
# What ships, for each built folder given (build/win64/bin, build/win32/bin):
# prints the sizes of corvane.exe, corvane.com and cvblock.dll and the DLLs
# they import; fails when one of them needs a MinGW runtime DLL beside it, or
# when corvane.exe is over 1.6 MB (1,600,000 bytes), SQLite included. The
# 32-bit build, a compile check for old machines, may take 1.7 MB
# (1,700,000 bytes): the same code is about 6% larger in i686 form. The
# limit is on the program's own bytes: an Authenticode signature, which
# signing appends at the end of the file (the certificate table, whose place
# the security directory gives), is left out, so that the certificates and
# timestamp a release carries do not count against it; a signed file's
# whole size is printed beside.
# Usage: bash scripts/check_binaries.sh BIN...
set -u
status=0
for bin in "$@"; do
  for file in corvane.exe corvane.com cvblock.dll; do
    path="$bin/$file"
    [ -f "$path" ] || { echo "missing: $path"; status=1; continue; }
    whole=$(stat -c %s "$path")
    size=$whole signed=""
    read -r table_at table_size < <(objdump -p "$path" | awk '/Security Directory/ { print $3, $4 }')
    if [ -n "${table_size:-}" ] && [ $((16#$table_size)) -gt 0 ]; then
      size=$((16#$table_at)) signed=" ($whole signed)"
    fi
    imports=$(objdump -p "$path" | awk '/DLL Name:/ { print $3 }' | sort | tr '\n' ' ')
    echo "$path: $size bytes$signed; imports $imports"
    if echo "$imports" | grep -qiE 'libstdc|libgcc|libwinpthread'; then
      echo "  needs a MinGW runtime DLL"; status=1
    fi
    limit=1600000
    objdump -f "$path" | grep -q 'pei-i386' && limit=1700000
    if [ "$file" = corvane.exe ] && [ "$size" -gt "$limit" ]; then
      echo "  over its limit of $limit bytes"; status=1
    fi
  done
done
exit $status
