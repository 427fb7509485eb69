#!/usr/bin/env bash
# What ships, for each built folder given (build/win64/bin, build/win32/bin):
# prints the sizes of corvane.exe, corvane.com and cvblock.dll and the DLLs
# they import; fails when one of them needs a MinGW runtime DLL beside it, or
# when corvane.exe is over 1.6 MB (1,600,000 bytes), SQLite included. The
# 32-bit build, a compile check for old machines, may take 1.7 MB
# (1,700,000 bytes): the same code is about 6% larger in i686 form.
# Usage: bash scripts/check_binaries.sh BIN...
set -u
status=0
for bin in "$@"; do
  for file in corvane.exe corvane.com cvblock.dll; do
    path="$bin/$file"
    [ -f "$path" ] || { echo "missing: $path"; status=1; continue; }
    size=$(stat -c %s "$path")
    imports=$(objdump -p "$path" | awk '/DLL Name:/ { print $3 }' | sort | tr '\n' ' ')
    echo "$path: $size bytes; imports $imports"
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
