#!/usr/bin/env bash
# Everything a fresh Debian 12 machine needs to run the whole test suite. Installs the
# packages, then runs four stages in order, each whatever happened before it:
#   normal     the optimised tree and every test (the quick signal)
#   sanitizer  AddressSanitizer and UndefinedBehaviorSanitizer tree, every test
#   threads    ThreadSanitizer tree of the threaded code (sound devices, wave controls,
#              SIP audio) and its tests
#   fuzz       each fuzz program for a bounded time (scripts/fuzz.sh)
# and fails at the end if any stage failed. A failed test is run again only when it
# carries the "sip" label (the SIP stack runs threads of its own that no test controls);
# every such second run is named in the summary.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

summary=()
retried=()
failed=0

# stage <name> <command...>: runs one stage and notes its time and outcome.
stage() {
  local name=$1 start=$SECONDS status=passed
  shift
  echo "=== stage $name ==="
  "$@" || { status=FAILED; failed=1; }
  summary+=("$(printf '%-10s %5d s  %s' "$name" $((SECONDS - start)) "$status")")
  echo "=== stage $name: $status in $((SECONDS - start)) s ==="
}

# run_tests <tree> [ctest options...]: every selected test once; failures outside the
# "sip" label fail at once, those inside it get one more run of their own.
run_tests() {
  local tree=$1
  shift
  (cd "$tree" && ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@") && return 0
  local log=$tree/Testing/Temporary/LastTestsFailed.log
  [ -s "$log" ] || return 1
  local sip other=() names=()
  sip=$(cd "$tree" && ctest -N -L '^sip$' | sed -n 's/^ *Test *#[0-9]*: //p')
  while IFS= read -r line; do
    local test=${line#*:}
    names+=("$test")
    grep -qxF -- "$test" <<<"$sip" || other+=("$test")
  done <"$log"
  if [ ${#other[@]} -gt 0 ]; then
    echo "=== $tree: failed outside the sip label (not run again): ${other[*]}"
    return 1
  fi
  echo "=== $tree: running the failed SIP tests once more: ${names[*]}"
  for test in "${names[@]}"; do retried+=("$tree: $test"); done
  (cd "$tree" && ctest --rerun-failed --output-on-failure --timeout 300)
}

build_and_test() {
  local tree=$1 targets=$2 tests=$3
  shift 3
  local build_options=("$@")
  scripts/build.sh "$tree" "${build_options[@]}" -- $targets || return 1
  # shellcheck disable=SC2086
  run_tests "$tree" $tests
}

stage install scripts/install-deps.sh || { printf '%s\n' "${summary[@]}"; exit 1; }
export QT_QPA_PLATFORM=offscreen

stage normal build_and_test build all "" -DLINKORA_BUILD_BENCH=OFF -DLINKORA_FAST_BUILD=ON
stage sanitizer build_and_test build-asan all "" \
  -DLINKORA_SANITIZE=address -DLINKORA_BUILD_BENCH=OFF -DLINKORA_FAST_BUILD=ON
# Windows paint through Qt's own thread pool, which only a sanitized Qt could check.
stage threads build_and_test build-tsan linkora_thread_tests "-L ^threads$ -E Vantage" \
  -DLINKORA_SANITIZE=thread -DLINKORA_BUILD_BENCH=OFF -DLINKORA_FAST_BUILD=ON
stage fuzz scripts/fuzz.sh

echo "=== summary ==="
printf '%s\n' "${summary[@]}"
if [ ${#retried[@]} -gt 0 ]; then
  echo "retried (failed once, then passed or failed again above):"
  printf '  %s\n' "${retried[@]}"
else
  echo "retried: none"
fi
exit $failed
