#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test offscreen.
set -euo pipefail
cd "$(dirname "$0")"
# Warnings fail this build, as they do in CI, which runs this script.
bash scripts/setup.sh --warnings-as-errors
export QT_QPA_PLATFORM=offscreen
# As many tests at once as the build ran jobs.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
if [ "$(id -u)" -ne 0 ]; then
  cd build
  ctest --output-on-failure -j "$jobs" --timeout 300
  exit
fi
# Root may read and write any file: the tests that need permissions to hold run apart,
# as an unprivileged user.
# The whole suite's summary comes last.
status=0
bash scripts/unprivileged-tests.sh build || status=$?
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300 -E "$(bash ../scripts/unprivileged-tests.sh --pattern)") || status=$?
exit "$status"
