#!/usr/bin/env bash
# Configures and builds one build tree:
#   scripts/build.sh <dir> [cmake options...] [-- target...]
# Without targets, everything is built. A compiler cache is used when one is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
options=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = -- ]; then
    shift
    targets=("$@")
    break
  fi
  options+=("$1")
  shift
done
if command -v ccache >/dev/null; then
  options=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache "${options[@]}")
  export CCACHE_BASEDIR=$PWD
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINKORA_WERROR=ON "${options[@]}"
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" --parallel "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$dir" --parallel "$(nproc)"
fi
