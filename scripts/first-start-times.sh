#!/usr/bin/env bash
# Times a newcomer's first steps, each in a fresh clone of its own: from the clone to the
# tool's window (`bash run.sh`, offscreen), and from the clone to the test summary
# (`bash test.sh`). The window counts as up once start-up has opened the example project,
# which leaves its backup copy in build/bin just before the window is shown.
#
#   scripts/first-start-times.sh [revision]      (default: the checked-out commit)
#
# CMAKE_BUILD_PARALLEL_LEVEL, when set, reaches the builds as it would from the README's
# commands. The figures go to stdout; each command's output to a log in the clone's folder,
# which is removed at the end unless KEEP_CLONES=1.
set -euo pipefail
cd "$(dirname "$0")/.."

repository="$(realpath "$(git rev-parse --git-common-dir)")"
revision="$(git rev-parse "${1:-HEAD}")"
work="$(mktemp -d)"
tool=""
cleanup() {
  if [ -n "$tool" ]; then kill "$tool" 2>/dev/null || true; fi
  if [ "${KEEP_CLONES:-0}" = 1 ]; then echo "clones kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen

fresh_clone() {
  git clone -q --no-checkout "$repository" "$1"
  git -C "$1" checkout -q --detach "$revision"
}

now() { date +%s.%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.1f", end - start }'; }

window_time() {
  local clone="$work/run"
  fresh_clone "$clone"
  local start
  start="$(now)"
  (cd "$clone" && exec bash run.sh) >"$work/run.log" 2>&1 &
  tool=$!
  until [ -e "$clone/build/bin/Config.QVR.Copy.QVR" ]; do
    if ! kill -0 "$tool" 2>/dev/null; then
      echo "bash run.sh ended before the window was up; see $work/run.log" >&2
      KEEP_CLONES=1
      exit 1
    fi
    sleep 0.05
  done
  echo "fresh clone to the window:       $(seconds_since "$start") s"
  kill "$tool"
  wait "$tool" 2>/dev/null || true
  tool=""
}

summary_time() {
  local clone="$work/test"
  fresh_clone "$clone"
  local start status=0
  start="$(now)"
  (cd "$clone" && bash test.sh) >"$work/test.log" 2>&1 || status=$?
  echo "fresh clone to the test summary: $(seconds_since "$start") s ($(grep 'tests passed' "$work/test.log" | tail -n 1))"
  [ "$status" -eq 0 ] || echo "bash test.sh failed with status $status" >&2
}

echo "revision $(git rev-parse --short "$revision"), CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-unset}, $(nproc) cores"
window_time
summary_time
