#!/usr/bin/env bash
# Builds the Debian package volumescope_<version>_<arch>.deb in the build
# folder (BUILD, default "build"), installing the build's packages first,
# and shows what lintian says about it (tests/packaging checks it says nothing).
#   bash scripts/package.sh        then   sudo apt install ./build/volumescope_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
bash scripts/setup.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && cpack -G DEB)
ls -1 "$BUILD"/volumescope_*.deb
lintian --no-cfg "$BUILD"/volumescope_*.deb || true
