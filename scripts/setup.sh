#!/usr/bin/env bash
# Installs what the build, the tests and readable Chinese text need, and the desktop's
# opener with a PDF viewer for the manual, when missing; then configures build/ and builds
# the targets named (everything when none is).
#
#   scripts/setup.sh [--warnings-as-errors] [target ...]
#
# --warnings-as-errors makes every compiler warning fail the build (the test run asks for it,
# so that CI keeps the build free of warnings); without it build/ keeps what it was
# configured with. The build runs CMAKE_BUILD_PARALLEL_LEVEL jobs when that is set, one per
# core otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

# The manual's viewer is zathura with its poppler plug-in: its desktop entry takes PDF files,
# so xdg-open uses it also without a desktop environment, unless the user chose another. It
# is small and stands on the poppler library that poppler-utils brings anyway.
bash scripts/install-missing.sh build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev \
  libgtest-dev fonts-wqy-microhei fonts-dejavu-core xdg-utils poppler-utils zathura zathura-pdf-poppler

configure=()
if [ "${1:-}" = "--warnings-as-errors" ]; then
  configure=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
  shift
fi
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" >/dev/null
cmake --build build -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" "${targets[@]}"
