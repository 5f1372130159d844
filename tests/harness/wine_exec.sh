#!/bin/sh
# Runs a cross-built test program under Wine for ctest. Wine's service
# processes, started on first use, outlive the program; they must not hold
# ctest's output pipe, so the output goes through a file.
# Programs that open windows use the session's own display.
if [ -n "$WINE_SESSION" ] && [ -f "$WINE_SESSION" ]; then
    DISPLAY=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["display"])' "$WINE_SESSION")
    export DISPLAY
fi
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
