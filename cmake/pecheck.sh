#!/usr/bin/env bash
# Release check of a Windows executable: a 32-bit image with the ASLR
# (DYNAMIC_BASE) and DEP (NX_COMPAT) bits, importing in the ordinary way only
# known DLLs, which Windows takes from its system folder whatever lies beside
# the program. Every other system DLL is loaded after the program has
# narrowed the DLL search (platform/win32/runtime/program_start.cc):
# delay-loaded (cmake/delayload.cmake) or loaded by full path
# (platform/win32/system_library.h).
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "pecheck: $exe: $*" >&2; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || fail "not a 32-bit x86 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$dump" || fail "optional header is not PE32"
grep -q 'DYNAMIC_BASE' <<<"$dump" || fail "DYNAMIC_BASE (ASLR) is not set"
grep -q 'NX_COMPAT' <<<"$dump" || fail "NX_COMPAT (DEP) is not set"

allowed='^(kernel32|advapi32|msvcrt)\.dll$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  [[ $lower =~ $allowed ]] ||
    fail "imports $dll, which would be loaded before the program narrows the DLL search" \
      "(a function missing from platform/win32/delayload/, or a DLL to load by full path)"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
echo "pecheck: $exe: ok"
