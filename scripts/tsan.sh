#!/usr/bin/env bash
# Builds the tests of the code that runs on worker threads (the ordered workers, the health test
# and the export, sorvane-cli included) with the thread sanitizer and runs them: any data race
# fails the run.
# Usage: scripts/tsan.sh   (exit status non-zero on a race or a failed test)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
targets=(test_common test_health test_export)

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_TSAN=ON \
  -DSORVANE_GUI=OFF -DSORVANE_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target "${targets[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
for t in "${targets[@]}"; do
  binary=$(find build-tsan/tests -type f -name "$t" -perm -u+x | head -n 1)
  if [[ -z "$binary" ]]; then
    echo "tsan.sh: $t was not built" >&2
    exit 1
  fi
  "$binary" --gtest_brief=1
done
echo "tsan.sh: no data race in ${targets[*]}"
