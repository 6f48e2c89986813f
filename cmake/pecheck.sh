#!/usr/bin/env bash
# Release check of a Windows executable: a 32-bit image with the ASLR
# (DYNAMIC_BASE) and DEP (NX_COMPAT) bits, importing system DLLs only.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "pecheck: $exe: $*" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || fail "not a 32-bit x86 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$dump" || fail "optional header is not PE32"
grep -q 'DYNAMIC_BASE' <<<"$dump" || fail "DYNAMIC_BASE (ASLR) is not set"
grep -q 'NX_COMPAT' <<<"$dump" || fail "NX_COMPAT (DEP) is not set"

allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|msvcrt|setupapi|winspool\.drv|ole32|oleaut32|shlwapi|comdlg32|version|uxtheme)(\.dll)?$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  [[ $lower =~ $allowed ]] || fail "imports $dll, which is not a system DLL"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
echo "pecheck: $exe: ok"
