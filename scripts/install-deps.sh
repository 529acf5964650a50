#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need. As root it runs apt-get;
# otherwise it prints the exact command and stops, so nothing is half set up.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config binutils
  libsndfile1-dev libcairo2-dev libx11-dev libfreetype-dev fonts-dejavu-core
  libx11-xcb-dev xvfb xauth
  libgtest-dev libgmock-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Missing Debian packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
