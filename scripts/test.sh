#!/usr/bin/env bash
# Everything a fresh Debian 12 machine needs to run the whole test suite: installs the
# packages, builds the normal and the sanitizer tree, runs every test in both, and runs
# each fuzz program for a short while (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build-asan -DLINKORA_SANITIZE=ON -DLINKORA_BUILD_BENCH=OFF
scripts/build.sh build
(cd build-asan && ctest --output-on-failure --timeout 300 -j "$(nproc)")
(cd build && ctest --output-on-failure --timeout 300 -j "$(nproc)")
scripts/fuzz.sh
