#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program on the built-in simulated
# exchange.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
# FIXME: start the dialer here once it exists; until then the trace-log demo runs.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the trace-log demonstration in the terminal instead."
  export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/linkora-logdemo
