#!/bin/sh
# Runs a cross-built test program under Wine for ctest. Wine's service
# processes, started on first use, outlive the program; they must not hold
# ctest's output pipe, so the output goes through a file.
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
