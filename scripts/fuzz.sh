#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in their own build
# folder and runs each one for the given number of seconds on its seed corpus. Fails when a target
# crashes, hangs, leaks or runs out of memory; the input that did it is saved in the findings folder.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#   FUZZ_BUILD=<folder>   build folder (default build-fuzz)
#   FUZZ_JOBS=<n>         parallel compile jobs (default 2)
#   FUZZ_WORK=<folder>    where the grown corpora and findings go (default <build>/fuzz-work)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
shift || true
build="${FUZZ_BUILD:-$here/build-fuzz}"
jobs="${FUZZ_JOBS:-2}"
work="${FUZZ_WORK:-$build/fuzz-work}"
all_targets=(fuzz_settings fuzz_http fuzz_obs fuzz_vmix fuzz_visca fuzz_viscaframe fuzz_devconf fuzz_camlist)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds-per-target] [target...]" >&2
  exit 2
fi

# The program's own libraries only; tests, benchmarks and tools are not needed here.
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DTAVIMOREX_FUZZ=ON \
  -DTAVIMOREX_BUILD_TESTS=OFF -DTAVIMOREX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# Per-input leak checks run LeakSanitizer after almost every input of these Qt targets (Qt keeps caches)
# and cut the speed five- to tenfold; leaks still fail the run through the check at exit.
# An allocation the system cannot serve returns null, as it does for the program; Qt handles that.
# Leaks inside the font configuration library (loaded by the GUI targets) are not ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/fuzz/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

mkdir -p "$work"
summary=()
failed=0
for target in "${targets[@]}"; do
  seeds="$here/fuzz/corpus/$target"
  corpus="$work/corpus/$target"
  findings="$work/findings/$target"
  log="$work/$target.log"
  mkdir -p "$corpus" "$findings"
  dict=()
  [ -f "$here/fuzz/dict/$target.dict" ] && dict=(-dict="$here/fuzz/dict/$target.dict")
  echo "== $target: ${seconds}s"
  status=0
  # New inputs go to the work corpus; the seeds in the repository stay as they are.
  "$build/bin/$target" "$corpus" "$seeds" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -max_len=8192 -detect_leaks=0 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "!! $target FAILED (exit $status); inputs in $findings, log $log"
    grep -E 'ERROR|FUZZ FINDING|SUMMARY|runtime error|Test unit written' "$log" | head -20 || true
    summary+=("$target: FAILED after ${runs:-?} runs")
  else
    summary+=("$target: ${runs:-?} runs, ${speed:-?} exec/s, coverage ${cov:-?}")
  fi
done

echo
echo "Fuzzing summary (${seconds}s per target):"
printf '  %s\n' "${summary[@]}"
exit "$failed"
