#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ (clang's libFuzzer with AddressSanitizer
# and UndefinedBehaviorSanitizer) in build-fuzz/ and runs each one, one after
# the other, from its seed corpus in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh              short run: 20000 inputs per target
#   scripts/fuzz.sh long         10 million inputs per target
#   scripts/fuzz.sh 500000       that many inputs per target
#   scripts/fuzz.sh 60s          that many seconds per target
#   scripts/fuzz.sh long url_encode get_url_param   only the targets named
#
# An input that breaks a target is saved as build-fuzz/findings/<target>-crash-*
# (keep it in the target's corpus once the fault is mended); the run log of
# each target is build-fuzz/logs/<target>.log. Exits with 1 when any target
# failed.
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=C.UTF-8 LC_ALL=C.UTF-8

mode=${1:-20000}
shift || true
case "$mode" in
  long) limit=(-runs=10000000) ;;
  *s) limit=(-max_total_time="${mode%s}") ;;
  *) limit=(-runs="$mode") ;;
esac
if ! [[ "${limit[0]#*=}" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [long | RUNS | SECONDSs] [target...]" >&2
  exit 2
fi

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DLUMARO_FUZZ=ON -DLUMARO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

mkdir -p "$build/findings" "$build/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
printf '%-20s %12s %10s  %s\n' target executions seconds result
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus, so fuzz/corpus keeps the hand-written seeds.
  scratch="$build/corpus/$target"
  rm -rf "$scratch" && mkdir -p "$scratch"
  log="$build/logs/$target.log"
  start=$(date +%s%N)
  result=passed
  "$build/fuzz/$target" "${limit[@]}" -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$scratch" "fuzz/corpus/$target" \
    >"$log" 2>&1 || result=FAILED
  tenths=$((($(date +%s%N) - start) / 100000000))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-20s %12s %8d.%d  %s\n' "$target" "${runs:-?}" $((tenths / 10)) $((tenths % 10)) "$result"
  if [ "$result" != passed ]; then
    status=1
    grep -E 'property failed|ERROR:|SUMMARY|runtime error|Test unit written' "$log" | head -8 | sed 's/^/    /'
  fi
done
exit $status
