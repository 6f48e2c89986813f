#!/usr/bin/env bash
# Runs tqinfcheck.exe under Wine on the sample INF with a given input code
# page and checks what it reports.
set -euo pipefail
exe=$1 inf=$2
out=$("$(dirname "$0")/../wine/run.sh" "$exe" "$inf" --codepage 936 | tr -d '\r')
echo "$out"
expect() { grep -qF -- "$1" <<<"$out" || { echo "missing: $1" >&2; exit 1; }; }
expect '"codePage":936'
expect '"lptHardwareId":"LPTENUM\\TAVIRTQPRINTER5800"'
expect '"usbHardwareId":"USBPRINT\\TAVIRTQ-5800TQMM"'
expect '"driverModel":"TAVIR TQ-5800"'
# The sample package is unsigned; it has models for x86, x64 and ARM64.
expect '"lptOffered":true,"usbOffered":true,"warnings":["no CatalogFile in [Version]: the package is not signed, and 64-bit Windows 10 and 11 refuse to install an unsigned driver package"]}'
set +e
"$(dirname "$0")/../wine/run.sh" "$exe" 'Z:\no\such\TQPRINTER.INF' >/dev/null 2>&1
rc=$?
set -e
[[ $rc -eq 2 ]] || { echo "missing file gave exit $rc, not 2" >&2; exit 1; }
