#!/usr/bin/env bash
# Installs what is needed, builds, and starts the nvRingfast dialer on the built-in
# simulated exchange.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # A person on a server still sees the system work: one call through the same line
  # control, printed as the dialer's log box would show it.
  echo "No display found, so the nvRingfast window cannot open here."
  echo "Running a demonstration call with the command-line dialer instead:"
  echo
  echo "\$ build/bin/ringfast devices"
  build/bin/ringfast devices
  echo
  echo "\$ build/bin/ringfast dial 555-0100 --sim-speed 0.2 --idle-delay 500 --hangup-after 2"
  exec build/bin/ringfast dial 555-0100 --sim-speed 0.2 --idle-delay 500 --hangup-after 2
fi
exec build/bin/nvRingfast
