#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Linkora needs.
# Idempotent; needs root (or sudo) and nothing but Debian's package archive.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  poppler-utils fonts-dejavu-core
  clang libfuzzer-14-dev
  liblinphone-dev libmediastreamer-dev sip-tester kamailio openssl
  sox
  libedit-dev
  libasound2-dev libspandsp-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
