#!/usr/bin/env bash
# Configures and builds into build/.
# Usage: scripts/build.sh [--target NAME] [CMake configure options...]
set -euo pipefail
cd "$(dirname "$0")/.."
target=()
if [ "${1:-}" = --target ]; then
  target=(--target "$2")
  shift 2
fi
cmake -S . -B build -G Ninja "$@" >/dev/null
cmake --build build --parallel "$(nproc)" "${target[@]}"
