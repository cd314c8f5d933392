#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, or the packages named
# as arguments. Only packages that are missing are installed; nothing happens when all are present.
#   usage: install-deps.sh [PACKAGE...]
set -euo pipefail

DEFAULT_PACKAGES=(
  g++ make cmake pkgconf xz-utils dpkg-dev ccache
  libfreetype-dev libfontconfig-dev libasound2-dev
  libx11-dev libxrandr-dev libxinerama-dev libxext-dev libxcursor-dev
  libpng-dev libjpeg-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  fonts-dejavu-extra  # the artwork generator's typeface (tools/artwork)
)

if [ $# -gt 0 ]; then PACKAGES=("$@"); else PACKAGES=("${DEFAULT_PACKAGES[@]}"); fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
