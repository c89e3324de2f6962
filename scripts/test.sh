#!/usr/bin/env bash
# Installs what is missing and runs every test through CTest, each once:
#   - the core and window tests built under AddressSanitizer and UndefinedBehaviorSanitizer
#     (the asan-ubsan preset, in build-asan/), the strictest build they can run in;
#   - the end-to-end tests, the installed tree and the checks of the sources (the program
#     test preset) against the program of the debug preset in build/ (warnings as errors),
#     which is all that build needs to make here.
# `cmake --build --preset debug && ctest --preset debug` still builds and runs everything in
# build/, for working on a test without the sanitizers.
#
# The sanitizer build is made beside the program's build and its tests, at the lowest
# priority, so that it takes only the processor time they leave: the end-to-end tests spend
# most of theirs waiting for windows and keys.
# Arguments go to both CTest runs, e.g. -R Collection.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

cmake --preset asan-ubsan >/dev/null
log=$(mktemp)
nice -n 19 cmake --build --preset asan-ubsan --parallel "$(nproc)" >"$log" 2>&1 &
asan_build=$!
trap 'kill "$asan_build" 2>/dev/null || true; rm -f "$log"' EXIT

scripts/build.sh --target numora
status=0
echo "== The end-to-end tests, the installed tree and the checks of the sources"
ctest --preset program --parallel "$(nproc)" "$@" || status=$?

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
