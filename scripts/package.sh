#!/usr/bin/env bash
# Builds the Release programs and the Debian package kestrilon4_<version>_<arch>.deb in build-package/.
#   sudo apt install ./build-package/kestrilon4_*.deb     installs it
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build-package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRILON_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --parallel "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/kestrilon4_*.deb
