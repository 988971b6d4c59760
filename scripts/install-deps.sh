#!/usr/bin/env bash
# Installs what building, running and testing ZANT needs on Debian 12 (run as root). Installs only what
# is missing, so it is quick on a machine that already has everything.
set -euo pipefail
# git and clang-format for the format check of .ci/run; file and dpkg-dev for the .deb that
# cpack builds (README, Install).
packages=(
  git file dpkg-dev
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libzip-dev libxlsxwriter-dev
  libfluidsynth-dev timgm6mb-soundfont
  libbenchmark-dev
  fonts-liberation2 unzip
  clang-format
  qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
