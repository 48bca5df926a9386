#!/usr/bin/env bash
# Runs the tests that need file permissions to hold (an image file nobody may read, a
# project whose opening stamp cannot be written, a project that a store cannot write)
# as an unprivileged user, through ctest.
# Root may read and write any file, so under root these tests skip; test.sh therefore
# leaves them out of its own run as root and runs them here.
#
#   scripts/unprivileged-tests.sh BUILD-FOLDER   run them (as root) and print ctest's summary
#   scripts/unprivileged-tests.sh --pattern      print the ctest -R/-E pattern of their names
#
# The test programs are copied into a fresh temporary folder with a ctest file of their
# own, so the user needs no access to the build tree. A test passes only when it ran and
# passed: a skip, a failure or a missing test fails. TOLVEXAN_TEST_USER names the user
# (default nobody).
set -euo pipefail

# Test program, test name.
tests=(
  "test_image ImagePreparationTest.AnUnreadableFileIsNoFileAndLeavesTheImageAlone"
  "test_project OpenTest.AFailedStampIsReportedNotTakenAsSuccess"
  "test_main WindowPictureMenuTest.AStoreIntoAProjectThatCannotBeWrittenSaysSoAndCanBeTriedAgain"
)

if [ "${1:-}" = "--pattern" ]; then
  names=()
  for entry in "${tests[@]}"; do names+=("${entry#* }"); done
  (IFS='|'; echo "^(${names[*]})\$")
  exit 0
fi

build="$(realpath "$1")"
user="${TOLVEXAN_TEST_USER:-nobody}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"

for entry in "${tests[@]}"; do
  program="${entry%% *}"
  name="${entry#* }"
  [ -e "$work/$program" ] || install -m 755 "$build/$program" "$work/$program"
  cat >>"$work/CTestTestfile.cmake" <<EOF
add_test([=[$name]=] "$work/$program" [=[--gtest_filter=$name]=])
set_tests_properties([=[$name]=] PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=$work/home;TMPDIR=$work/home"
  PASS_REGULAR_EXPRESSION [=[\[  PASSED  \] 1 test\.]=])
EOF
done
chown -R "$user" "$work"
chmod 755 "$work"

echo "As user $user:"
setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
  ctest --test-dir "$work" --output-on-failure --timeout 300
