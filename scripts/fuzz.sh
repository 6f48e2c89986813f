#!/usr/bin/env bash
# Runs every libFuzzer harness of tests/fuzz/ for FUZZ_SECONDS seconds each
# (default 60), from its committed seeds (tests/fuzz/corpus/NAME/) and what
# earlier runs found (build/fuzz/corpus/NAME/). A crash, a sanitizer report or
# a leak stops that harness; its input is kept in build/fuzz/findings/NAME/
# and the script exits 1 after the others have run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${FUZZ_SECONDS:-60}
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 ]] || { echo "fuzz: FUZZ_SECONDS must be a whole number of seconds" >&2; exit 2; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
passed=0 failed=0
for source in "$root"/tests/fuzz/*_fuzzer.cc; do
  fuzzer=$(basename "$source" .cc)
  name=${fuzzer%_fuzzer}
  binary=$build/tests/fuzz/$fuzzer
  [[ -x $binary ]] || { echo "fuzz: $binary is missing (cmake --build --preset fuzz)" >&2; exit 2; }
  mkdir -p "$build/corpus/$name" "$build/findings/$name"
  echo "fuzz: $fuzzer for $seconds s"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$name/" "$build/corpus/$name" "$root/tests/fuzz/corpus/$name" \
      >"$build/$name.log" 2>&1; then
    echo "fuzz: $fuzzer: $(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$build/$name.log" | grep -Eo '[0-9]+$') runs, no finding"
    passed=$((passed + 1))
  else
    echo "fuzz: $fuzzer: FINDING, see $build/$name.log and $build/findings/$name/" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$build/$name.log" | head -5 >&2
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
