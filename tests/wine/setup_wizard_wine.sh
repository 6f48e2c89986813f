#!/usr/bin/env bash
# Walks setup.exe's wizard under Wine with tq_autoclient.exe: setup.exe runs
# from a scratch folder beside the driver package, and the screenshots of
# its pages are kept as PNG in <build>/screenshots. Then setup.exe alone,
# without the INF, must explain that in an error box and end.
#   setup_wizard_wine.sh <tq_autoclient.exe> <setup.exe> <package folder>
set -euo pipefail
client=$1 setup=$2 package=$3
build=$(cd "$(dirname "$client")/.." && pwd)

if [[ ! -f $setup ]]; then
  echo "FAIL: setup.exe not built ($setup is missing)" >&2
  exit 1
fi

run=$build/wizard-run
shots=$build/wizard-run/shots
rm -rf "$run"
mkdir -p "$run" "$shots" "$build/screenshots"
cp "$setup" "$run/setup.exe"
cp "$package"/* "$run/"

winpath() { local p=${1//\//\\}; echo "Z:$p"; }

set +e
"$(dirname "$0")/run.sh" "$client" "$(winpath "$run/setup.exe")" "$(winpath "$shots")" | tr -d '\r'
rc=${PIPESTATUS[0]}
set -e

# The same program without its INF beside it.
lonely=$build/wizard-run-no-inf
rm -rf "$lonely"
mkdir -p "$lonely"
cp "$setup" "$lonely/setup.exe"
set +e
"$(dirname "$0")/run.sh" "$client" --missing-inf "$(winpath "$lonely/setup.exe")" | tr -d '\r'
rc_no_inf=${PIPESTATUS[0]}
set -e
[[ $rc -ne 0 ]] || rc=$rc_no_inf

for bmp in "$shots"/*.bmp; do
  [[ -e $bmp ]] || continue
  png=$build/screenshots/$(basename "${bmp%.bmp}").png
  convert "$bmp" "$png" && echo "screenshot: $png"
done
exit "$rc"
