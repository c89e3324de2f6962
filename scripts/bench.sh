#!/usr/bin/env bash
# Installs what is missing, makes a Release build with the benchmarks in build-bench/ (the bench
# preset), and runs them. Extra arguments go to both benchmark programs, e.g.
# --benchmark_filter=Sort.
# Takes a few minutes: generating and handling a million coins is most of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh bench
cmake --preset bench >/dev/null
cmake --build --preset bench --parallel "$(nproc)"
build-bench/bench/core_bench "$@"
build-bench/bench/window_bench "$@"
# The program itself in a real X window, after the in-process benchmarks, and the table of how
# each operation grows with the collection.
if [[ $# -eq 0 ]]; then
    bench/whole_process.sh build-bench
    bench/scaling.sh build-bench
fi
