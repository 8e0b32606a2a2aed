#!/usr/bin/env bash
# Builds the fuzz programs in their own clang tree (build-fuzz, or $FUZZ_BUILD) and runs
# each for a bounded time from a fresh seed corpus; any crash, leak, sanitizer report or
# broken invariant fails the run and leaves its input in $FUZZ_BUILD/findings/.
#   scripts/fuzz.sh                 every program, FUZZ_SECONDS (20; the wave readers 30) each
#   scripts/fuzz.sh FuzzConfigFile  one program
# FUZZ_SECONDS=600 or FUZZ_RUNS=10000000 make longer local runs; FUZZ_JOBS programs run
# side by side (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-}
runs=${FUZZ_RUNS:--1}
jobs=${FUZZ_JOBS:-$(nproc)}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root
fi
# -O1 with line tables only: quick to build, fast enough to run, stack traces with lines.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Fuzz -DCMAKE_CXX_FLAGS_FUZZ="-O1 -gline-tables-only" \
  -DCMAKE_CXX_COMPILER=clang++ -DLINKORA_FUZZ=ON -DLINKORA_BUILD_TESTS=OFF -DLINKORA_BUILD_BENCH=OFF -DLINKORA_FAST_BUILD=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$build" --target linkora_fuzzers --parallel "$(nproc)"

programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
  programs=(FuzzCallerStructures FuzzConfigFile FuzzControlRequest FuzzMaskLayout FuzzStoredProperties FuzzTapiBuffer
            FuzzWaveFile FuzzWaveImage)
  [ -x "$build/fuzz/FuzzSipDatagram" ] && programs+=(FuzzSipDatagram FuzzSipStream)
fi

seeds=$build/fuzz-seeds
rm -rf "$seeds"
"$build/fuzz/FuzzSeeds" "$seeds"
mkdir -p "$build/findings" "$build/fuzz-logs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs one program; its corpus grows in a scratch copy of the seeds.
fuzz_one() {
  local program=$1
  local corpus=$build/fuzz-corpus/$program
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp "$seeds/$program"/* "$corpus/"
  local time=${seconds:-20}
  case $program in FuzzWave*) time=${seconds:-30} ;; esac
  local limits=(-max_total_time="$time")
  [ "$runs" -ge 0 ] && limits=(-runs="$runs")
  if "$build/fuzz/$program" "${limits[@]}" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/findings/$program-" "$corpus" >"$build/fuzz-logs/$program.log" 2>&1; then
    echo "$program: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-logs/$program.log" \
      | grep -o '[0-9]*$') runs, no finding"
  else
    echo "$program: FINDING (see $build/fuzz-logs/$program.log)"
    tail -n 40 "$build/fuzz-logs/$program.log"
    return 1
  fi
}

failed=0
running=0
for program in "${programs[@]}"; do
  fuzz_one "$program" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
