#!/usr/bin/env bash
# Installs what is missing, makes a Release build in build-package/ with Debian's hardening
# flags and builds the Debian package from it: build-package/numora_<version>_<architecture>.deb.
# Install it with "sudo apt install ./build-package/numora_*.deb".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"  # CMake reads no CPPFLAGS of its own
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DNUMORA_WERROR=OFF >/dev/null
cmake --build build-package --parallel "$(nproc)" --target numora
cd build-package
cpack -G DEB
