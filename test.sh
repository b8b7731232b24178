#!/usr/bin/env bash
# Installs what is missing, checks that includes follow the layers, builds Sorvane and runs every
# test through CTest: once in a normal build and once under the address and undefined-behaviour
# sanitizers. Between the two it builds the Debian package, installs it, checks the installed
# programs and removes it again (as root or with sudo; skipped otherwise).
# Usage: ./test.sh [--quick]   (--quick skips the sanitizer pass)
# Exit status is non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

echo "== Layers"
./scripts/check-layers.sh

echo "== Normal build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package: install, check, remove"
package=$(./scripts/package.sh build | tail -n 1)
./scripts/check-package.sh "$package"

if [ "${1:-}" = "--quick" ]; then exit 0; fi

echo "== Sanitizer build (address, undefined)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSORVANE_SANITIZE=ON -DSORVANE_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
