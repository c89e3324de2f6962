#!/usr/bin/env bash
# Installs what is missing, makes a Release build with the benchmarks in build-bench/, and runs
# them. Extra arguments go to both benchmark programs, e.g. --benchmark_filter=Sort.
# Takes a few minutes: generating and handling a million coins is most of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DNUMORA_BUILD_BENCH=ON -DNUMORA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --parallel "$(nproc)" --target core_bench window_bench
build-bench/bench/core_bench "$@"
build-bench/bench/window_bench "$@"
