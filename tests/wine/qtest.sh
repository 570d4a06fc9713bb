#!/bin/sh
# Runs a cross-built QtTest program under Wine (run.sh) and prints its log. Under Wine a QtTest
# program's own output does not reach a pipe, so the log goes to a file that is printed after.
#   qtest.sh STATE_DIR PROGRAM.exe [ARGUMENTS...]
set -u
state=$1
program=$2
shift 2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$(dirname "$0")/run.sh" "$state" "$program" "$@" -o "Z:$log,txt"
status=$?
cat "$log"
exit "$status"
