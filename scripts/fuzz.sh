#!/usr/bin/env bash
# Builds the libFuzzer executables with clang (address and undefined-behaviour
# sanitizers) in build-fuzz-clang, runs each one for a number of seconds over a copy of
# its checked-in seeds (with its dictionary from fuzz/dict), and prints what it found.
#
#   scripts/fuzz.sh [seconds per fuzzer, default 60] [fuzzer name ...]
#
# New inputs stay in build-fuzz-clang/fuzz-work/<target>/corpus; crashing, leaking or
# hanging inputs go to build-fuzz-clang/fuzz-work/<target>/findings. The seed folders
# under fuzz/corpus are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
build=build-fuzz-clang
jobs="${FUZZ_BUILD_JOBS:-3}"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEXAN_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target fuzzers

# Fuzzer executable, seed folder, longest input.
targets=(
  "ProtocolParserFuzzer protocol_parser 70000"
  "DecodeEncodeFuzzer decode_encode 2048"
  "ProjectLoaderFuzzer project_loader 16740"
)

export QT_QPA_PLATFORM=offscreen
runtime_dir="$(mktemp -d)"
trap 'rm -rf "$runtime_dir"' EXIT
export XDG_RUNTIME_DIR="$runtime_dir"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

status=0
for entry in "${targets[@]}"; do
  read -r fuzzer folder max_len <<<"$entry"
  if [ $# -gt 0 ] && [[ " $* " != *" $fuzzer "* ]]; then continue; fi
  work="$build/fuzz-work/$folder"
  mkdir -p "$work/corpus" "$work/findings"
  cp -n fuzz/corpus/"$folder"/* "$work/corpus/" 2>/dev/null || true
  echo "== $fuzzer: ${seconds}s over $(ls "$work/corpus" | wc -l) inputs"
  log="$work/last-run.log"
  dict=()
  [ -f "fuzz/dict/$folder.dict" ] && dict=(-dict="fuzz/dict/$folder.dict")
  set +e
  "$build/fuzz/$fuzzer" "$work/corpus" -max_total_time="$seconds" -max_len="$max_len" \
      -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "${dict[@]}" \
      -artifact_prefix="$work/findings/" >"$log" 2>&1
  rc=$?
  set -e
  grep -E "^#[0-9]+.*DONE|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$log" || true
  findings=$(ls "$work/findings" 2>/dev/null | wc -l)
  if [ "$rc" -ne 0 ] || [ "$findings" -gt 0 ]; then
    status=1
    echo "   FOUND: exit $rc, $findings input(s) in $work/findings"
    grep -E "ERROR: |runtime error|SUMMARY|==[0-9]+==|#[0-9]+ 0x" "$log" | head -40 || true
  else
    echo "   nothing found"
  fi
done
exit $status
