#!/usr/bin/env bash
# The shipped folder holds exactly what a maker ships: the two programs, the
# INF and the driver file it names, with the INF's bytes (CRLF) unchanged,
# and no repository or build files; setup.exe, with Spoolmate.exe inside,
# is at most 300 KB (307,200 bytes).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DIST_DIR=$work/TQPrinterSetup "$root/scripts/make_dist.sh" >/dev/null
actual=$(cd "$work/TQPrinterSetup" && ls -A | sort | tr '\n' ' ')
expected=$(printf '%s\n' TQ5800.GPD TQPRINTER.INF setup.exe tqinfcheck.exe | sort | tr '\n' ' ')
status=0
if [[ $actual != "$expected" ]]; then
  echo "FAIL: the shipped folder holds: $actual; expected: $expected" >&2
  status=1
fi
for file in TQPRINTER.INF TQ5800.GPD; do
  cmp -s "$root/package/$file" "$work/TQPrinterSetup/$file" || { echo "FAIL: $file differs from package/$file" >&2; status=1; }
done
grep -q $'\r$' "$work/TQPrinterSetup/TQPRINTER.INF" || { echo "FAIL: TQPRINTER.INF lost its CRLF line ends" >&2; status=1; }
# A maker's signed package: the catalog its [Version] names ships beside the
# INF, and a catalog that is named but missing stops the layout.
signed=$work/signed
mkdir -p "$signed"
cp "$root/package"/* "$signed"/
sed -i 's/^DriverVer=.*\r$/&\nCatalogFile=tqprinter.cat\r/' "$signed/TQPRINTER.INF"
if PACKAGE_DIR=$signed DIST_DIR=$work/unsigned-out "$root/scripts/make_dist.sh" >/dev/null 2>&1; then
  echo "FAIL: a package whose catalog is missing was laid out" >&2
  status=1
fi
echo catalog >"$signed/TQPRINTER.CAT"
PACKAGE_DIR=$signed DIST_DIR=$work/signed-out "$root/scripts/make_dist.sh" >/dev/null
[[ -f $work/signed-out/TQPRINTER.CAT ]] || { echo "FAIL: the signed package's catalog was not shipped" >&2; status=1; }
limit=307200
size=$(stat -c %s "$work/TQPrinterSetup/setup.exe")
if ((size > limit)); then
  echo "FAIL: setup.exe is $size bytes, over its $limit (make bench shows where they go: bench/sizes.py)" >&2
  status=1
fi
[[ $status == 0 ]] && echo "ok: $actual; setup.exe $size of $limit bytes"
exit $status
