#!/usr/bin/env bash
# Installs every Debian package that building, testing and looking at Sorvane needs.
# Packages already present are skipped; nothing is installed when all are there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libzip-dev libdeflate-dev libsqlite3-dev nettle-dev libxml2-dev libcsv-dev libpq-dev
  postgresql
  libcli11-dev
  libgtest-dev
  qt6-base-dev qt6-charts-dev libgl-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth
  locales
  libqt6opengl6-dev fonts-dejavu-core
  help2man librsvg2-bin desktop-file-utils dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
