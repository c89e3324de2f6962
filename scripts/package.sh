#!/usr/bin/env bash
# Installs what is missing, makes a Release build in build-package/ and builds the Debian
# package from it: build-package/numora_<version>_<architecture>.deb. Install it with
# "sudo apt install ./build-package/numora_*.deb".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUMORA_BUILD_TESTS=OFF \
      -DNUMORA_WERROR=OFF >/dev/null
cmake --build build-package --parallel "$(nproc)" --target numora
cd build-package
cpack -G DEB
