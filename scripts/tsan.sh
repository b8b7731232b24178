#!/usr/bin/env bash
# Builds the tests of the code that runs on worker threads (the ordered workers, the health test
# and the export, sorvane-cli included, and the window's jobs: the load, the health test, the
# export and the history window's work on the job runner: adding, reading, the day panel, the
# strip of days, the list of days, the server connection) with the thread sanitizer and runs
# them: any data race fails the run. The window's tests run offscreen.
# Usage: scripts/tsan.sh   (exit status non-zero on a race or a failed test)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
core_targets=(test_common test_health test_export)
window_targets=(test_app_export_and_health_tabs test_app_history_window test_app_history_calendar
  test_app_history_repairs test_app_history_days)

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANE_TSAN=ON \
  -DSORVANE_GUI=ON -DSORVANE_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target "${core_targets[@]}" "${window_targets[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
binary_of() {
  local binary
  binary=$(find build-tsan/tests -type f -name "$1" -perm -u+x | head -n 1)
  if [[ -z "$binary" ]]; then
    echo "tsan.sh: $1 was not built" >&2
    exit 1
  fi
  echo "$binary"
}
for t in "${core_targets[@]}"; do
  "$(binary_of "$t")" --gtest_brief=1
done
# Qt itself is not built with the sanitizer: what it reports inside Qt is left out.
export TSAN_OPTIONS="$TSAN_OPTIONS suppressions=$PWD/tests/tsan.supp"
for t in "${window_targets[@]}"; do
  QT_QPA_PLATFORM=offscreen "$(binary_of "$t")" -silent
done
echo "tsan.sh: no data race in ${core_targets[*]} ${window_targets[*]}"
