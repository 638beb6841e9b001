#!/usr/bin/env bash
# Runs a Windows program under wine as a test runner would run it natively.
# Its output goes through a file, never a pipe: a wine process started under a
# pipe (ctest's) can hand it to wine's background processes, which keep it
# open, and the reader then waits for ever.
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
exit "$status"
