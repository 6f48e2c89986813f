#!/usr/bin/env bash
# Lays out the shipped installer folder from the Windows build and the sample
# driver package: dist/TQPrinterSetup/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/windows/bin
out=$root/dist/TQPrinterSetup

rm -rf "$out"
mkdir -p "$out"
cp "$root"/package/TQPRINTER.INF "$out"/
find "$root/package" -maxdepth 1 -type f ! -name 'CMakeLists.txt' ! -name '*.md' ! -name TQPRINTER.INF \
  -exec cp {} "$out"/ \;
for exe in setup.exe tqinfcheck.exe; do
  if [[ ! -f $bin/$exe ]]; then
    echo "make_dist: $bin/$exe is missing (run the Windows build first)" >&2
    exit 1
  fi
  "$root"/cmake/pecheck.sh "$bin/$exe" >/dev/null
  cp "$bin/$exe" "$out"/
done
echo "dist: $(cd "$out" && ls | tr '\n' ' ')"
