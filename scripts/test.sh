#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/build.sh -DNUMORA_BUILD_TESTS=ON -DNUMORA_WERROR=ON
cd build
ctest --output-on-failure --parallel "$(nproc)" "$@"
