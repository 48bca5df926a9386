#!/usr/bin/env bash
# Installs what the build, the tests and readable Chinese text need, and the desktop's
# opener that shows the manual and the maker's page, when missing; then configures build/
# and builds the targets named (everything when none is).
#
#   scripts/setup.sh [target ...]
#
# The build runs CMAKE_BUILD_PARALLEL_LEVEL jobs when that is set, one per core otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-missing.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
  libgtest-dev fonts-wqy-microhei fonts-dejavu-core xdg-utils poppler-utils

targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" "${targets[@]}"
