#!/usr/bin/env bash
# Installs what is missing, builds the debug preset in build/ (warnings as errors), and runs
# every test through CTest;
# then builds the core and window tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer (the asan-ubsan preset, in build-asan/) and runs them there. The
# end-to-end tests run only in the first build: they drive the real program, whose code the
# sanitizer run already covers through the window tests.
# Arguments go to both CTest runs, e.g. -R Collection.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/build.sh
ctest --preset debug --parallel "$(nproc)" "$@"

echo "== The core and window tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan --parallel "$(nproc)"
ctest --preset asan-ubsan --parallel "$(nproc)" "$@"
