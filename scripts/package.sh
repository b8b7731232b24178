#!/usr/bin/env bash
# Builds the Debian package sorvane_VERSION_ARCH.deb in BUILD_DIR (default: the repository's
# build folder) with CPack, its dependencies found by dpkg-shlibdeps, and prints the package's
# path as its last line.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
build=${1:-}
case $build in
"") build=$(cd "$(dirname "$0")/.." && pwd)/build ;;
/*) ;;
*) build=$PWD/$build ;;
esac
cd "$(dirname "$0")/.."

echo "Building in $build" >&2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >"$log" 2>&1 || { cat "$log" >&2; exit 1; }

# Only this run's package is left in the build folder, so the path printed is unambiguous.
rm -f "$build"/sorvane_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/sorvane_*.deb
