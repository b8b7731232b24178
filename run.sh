#!/usr/bin/env bash
# Installs what is missing, builds Sorvane and opens ARCHIVE, or the sample day, in the window.
# Without a display it runs the health test of sorvane-cli on the archive instead.
# Usage: ./run.sh [ARCHIVE]
set -euo pipefail

# A relative ARCHIVE is meant from where the user stands, not from the repository.
archive=""
if [ $# -gt 0 ]; then
  case $1 in
    /*) archive=$1 ;;
    *) archive=$PWD/$1 ;;
  esac
fi
cd "$(dirname "$0")"

./scripts/install-deps.sh >&2

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" >/dev/null

if [ -z "$archive" ]; then
  archive=$PWD/samples/sample-day.traffic
  if [ ! -f "$archive" ]; then
    mkdir -p samples
    ./build/tools/sorvane-mkarchive -o "$archive" --detectors 150 --first 100 --seed 20261206
  fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/app/sorvane "$archive"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window:" \
  "running the health test of sorvane-cli on $archive instead." >&2
exec ./build/src/cli/sorvane-cli health "$archive"
