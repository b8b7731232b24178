#!/usr/bin/env bash
# Installs what is missing, builds Sorvane and runs it on ARCHIVE, or on the sample day.
# Usage: ./run.sh [ARCHIVE]
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh >&2

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" >/dev/null

archive=${1:-samples/sample-day.traffic}
if [ $# -eq 0 ] && [ ! -f "$archive" ]; then
  mkdir -p samples
  ./build/tools/sorvane-mkarchive -o "$archive" --detectors 150 --first 100 --seed 20261206
fi

cli=./build/src/cli/sorvane-cli
echo "Detectors in $archive:"
"$cli" list "$archive" | paste -sd' ' -
first=$("$cli" list "$archive" | head -n 1)
echo
echo "Detector $first, 30 sec:"
"$cli" view "$archive" "$first"
