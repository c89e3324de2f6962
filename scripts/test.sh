#!/usr/bin/env bash
# Installs what is missing, builds the debug preset in build/ (warnings as errors), and runs
# every test through CTest; then runs the core and window tests once more built under
# AddressSanitizer and UndefinedBehaviorSanitizer (the asan-ubsan preset, in build-asan/). The
# end-to-end tests run only in the first build: they drive the real program, whose code the
# sanitizer run already covers through the window tests.
#
# The sanitizer build is made beside the first build and its tests, at the lowest priority, so
# that it takes only the processor time they leave: the end-to-end tests spend most of theirs
# waiting for windows and keys, while the first build and the tests keep their share.
# Arguments go to both CTest runs, e.g. -R Collection.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

cmake --preset asan-ubsan >/dev/null
log=$(mktemp)
nice -n 19 cmake --build --preset asan-ubsan --parallel "$(nproc)" >"$log" 2>&1 &
asan_build=$!
trap 'kill "$asan_build" 2>/dev/null || true; rm -f "$log"' EXIT

scripts/build.sh
status=0
ctest --preset debug --parallel "$(nproc)" "$@" || status=$?

echo "== The core and window tests under AddressSanitizer and UndefinedBehaviorSanitizer"
built=0
wait "$asan_build" || built=$?
cat "$log"
if [ "$built" -ne 0 ]; then
  echo "The sanitizer build failed." >&2
  exit 1
fi
ctest --preset asan-ubsan --parallel "$(nproc)" "$@" || status=$?
exit "$status"
