#!/usr/bin/env bash
# Builds every benchmark (bench/*.cpp, one executable each) with what it needs (the
# stand-in controller devsim comes with them) and runs them one after the other on the
# offscreen platform, printing their figures.
#
#   scripts/bench.sh [bench name ...]        (default: all of them)
#
# The build folder is build/, or the one named by BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build}"
jobs="${BENCH_BUILD_JOBS:-3}"

benches=()
for source in bench/*.cpp; do
  name="$(basename "$source" .cpp)"
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  benches+=("$name")
done
if [ ${#benches[@]} -eq 0 ]; then
  echo "no benchmark to run" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target "${benches[@]}"

export QT_QPA_PLATFORM=offscreen
runtime_dir="$(mktemp -d)"
trap 'rm -rf "$runtime_dir"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir"

status=0
for name in "${benches[@]}"; do
  echo
  rc=0
  "$build/$name" || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "$name: failed (exit $rc)"
    status=1
  fi
done
exit $status
