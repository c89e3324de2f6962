#!/usr/bin/env bash
# Configures build/ with the debug preset (light optimisation, line tables, warnings as errors,
# the tests configured) and builds it, or only the named target.
# Usage: scripts/build.sh [--target NAME] [CMake configure options...]
set -euo pipefail
cd "$(dirname "$0")/.."
target=()
if [ "${1:-}" = --target ]; then
  target=(--target "$2")
  shift 2
fi
cmake --preset debug "$@" >/dev/null
cmake --build --preset debug --parallel "$(nproc)" "${target[@]}"
