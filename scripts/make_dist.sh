#!/usr/bin/env bash
# Lays out the shipped installer folder from the Windows build and the driver
# package: dist/TQPrinterSetup/ holds setup.exe, tqinfcheck.exe, TQPRINTER.INF,
# the driver files that the INF's [SourceDisksFiles] section names and the
# signed catalog that its [Version] CatalogFile names (a maker's signed
# package), and nothing else (no repository or build files). DIST_DIR sets
# another folder, PACKAGE_DIR another driver package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/windows/bin
package=${PACKAGE_DIR:-$root/package}
out=${DIST_DIR:-$root/dist/TQPrinterSetup}

fail() { echo "make_dist: $*" >&2; exit 1; }

# The file names listed in [SourceDisksFiles] (and its platform variants):
# "name=disk[,subdir[,size]]", comments and blank lines skipped; and the
# catalogs of [Version] "CatalogFile[.decoration]=name".
driver_files() {
  tr -d '\r' <"$package/TQPRINTER.INF" | awk '
    /^[[:space:]]*\[/ { section = tolower($0); gsub(/[[:space:]\[\]]/, "", section); next }
    section ~ /^sourcedisksfiles(\..*)?$/ {
      sub(/;.*/, ""); split($0, parts, "="); name = parts[1]; gsub(/^[[:space:]]+|[[:space:]]+$/, "", name)
      if (name != "") print name
    }
    section == "version" {
      sub(/;.*/, ""); split($0, parts, "="); key = tolower(parts[1]); gsub(/[[:space:]]/, "", key)
      name = parts[2]; gsub(/^[[:space:]]+|[[:space:]]+$/, "", name)
      if (key ~ /^catalogfile(\..*)?$/ && name != "") print name
    }' | sort -u
}

[[ -f $package/TQPRINTER.INF ]] || fail "$package/TQPRINTER.INF is missing"
rm -rf "$out"
mkdir -p "$out"
cp "$package/TQPRINTER.INF" "$out"/
while read -r name; do
  # The INF names files without regard to case, as Windows reads it.
  file=$(find "$package" -maxdepth 1 -type f -iname "$name" | head -n 1)
  [[ -n $file ]] || fail "the INF names $name, which is not in $package"
  cp "$file" "$out"/
done < <(driver_files)
for exe in setup.exe tqinfcheck.exe; do
  [[ -f $bin/$exe ]] || fail "$bin/$exe is missing (run the Windows build first)"
  "$root"/cmake/pecheck.sh "$bin/$exe" >/dev/null
  cp "$bin/$exe" "$out"/
done
echo "dist: $(cd "$out" && ls -A | tr '\n' ' ')"
