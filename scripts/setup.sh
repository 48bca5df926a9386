#!/usr/bin/env bash
# Installs what the build, the tests and readable Chinese text need, and the desktop's
# opener that shows the manual and the maker's page, when missing; then configures and
# builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev libgtest-dev
          fonts-wqy-microhei fonts-dejavu-core xdg-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
