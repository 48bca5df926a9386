#!/usr/bin/env bash
# Installs what the build, the tests and readable Chinese text need, and the desktop's
# opener that shows the manual and the maker's page, when missing; then configures and
# builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-missing.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
  libgtest-dev fonts-wqy-microhei fonts-dejavu-core xdg-utils

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
