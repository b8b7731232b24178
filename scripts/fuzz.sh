#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
# Crash inputs are kept under fuzz/crashes/<target>/. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
./scripts/install-deps.sh

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSORVANE_FUZZ=ON -DSORVANE_GUI=OFF -DSORVANE_TESTS=OFF -DSORVANE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' -printf '%f\n' | sort)
fi

./scripts/fuzz-seeds.sh "$build" fuzz/corpus

status=0
for target in "${targets[@]}"; do
  mkdir -p "fuzz/corpus/$target" "fuzz/crashes/$target"
  echo "== $target ($seconds s)"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=64 \
      -artifact_prefix="fuzz/crashes/$target/" -print_final_stats=1 \
      "fuzz/corpus/$target" 2> "fuzz/crashes/$target/last-run.log"; then
    echo "   FOUND A CRASH: see fuzz/crashes/$target/"
    status=1
  fi
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "fuzz/crashes/$target/last-run.log" | sed 's/^/   /' || true
done
exit $status
