#!/usr/bin/env bash
# The set-up keeps the user's files in the program folder: a scratch build places the
# shipped Config.QVR, Config.For and Display.For; the user changes them; configuring and
# building again leaves the changes; a deleted file comes back as shipped.
#
#   ProgramFolderFilesTest.sh <source folder> <cmake> <generator>
set -euo pipefail
source_dir="$1" cmake="$2" generator="$3"
files=(Config.QVR Config.For Display.For)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
program="$scratch/bin"

set_up() {
  "$cmake" -S "$source_dir" -B "$scratch" -G "$generator" >/dev/null
  "$cmake" --build "$scratch" --target program_files >/dev/null
}

fail() { echo "FAIL: $*" >&2; exit 1; }

set_up
for name in "${files[@]}"; do
  cmp -s "$source_dir/data/$name" "$program/$name" || fail "$name was not placed as shipped"
  printf 'changed by the user' >>"$program/$name"
  cp "$program/$name" "$scratch/$name.changed"
done

set_up
for name in "${files[@]}"; do
  cmp -s "$scratch/$name.changed" "$program/$name" || fail "the set-up replaced the user's $name"
done

rm "$program/Config.For"
"$cmake" --build "$scratch" --target program_files >/dev/null
cmp -s "$source_dir/data/Config.For" "$program/Config.For" || fail "a deleted Config.For did not come back"
cmp -s "$scratch/Config.QVR.changed" "$program/Config.QVR" || fail "rebuilding replaced the user's Config.QVR"
echo "the program folder kept the user's files"
