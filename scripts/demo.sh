#!/usr/bin/env bash
# The demo: one whole forced update as a user sees it, under Wine.
#
#   scripts/demo.sh [--lang zh_CN|en_US] [--headless]
#
# Installs what is missing (scripts/install-deps.sh), builds the programs of
# the windows preset (build/windows), then runs scripts/demo/run_demo.py: an
# installation in a Wine prefix of its own (build/demo/wineprefix), a new
# package served by nginx on 127.0.0.1, the stand-in client, and Updater.exe
# with forcedupdate=1. It prints each step and where the files went.
# With a usable $DISPLAY the windows appear there and you answer them;
# without one (or with --headless) an Xvfb of its own is used, the windows
# are answered with keys, and each step is saved as a screenshot in
# build/demo/screenshots/.
#
# DEMO_BUILD_DIR (default build/windows) and DEMO_WORK_DIR (default
# build/demo) choose other folders.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${DEMO_BUILD_DIR:-build/windows}
work=${DEMO_WORK_DIR:-build/demo}
state="$work/demo-state.json"

# nginx, Xvfb and the prefix's wineserver are stopped on every way out, even
# when the Python part could not do it itself. The Python part runs in the
# background so that a signal reaches this trap at once; it is passed on.
child=""
cleanup() { python3 scripts/demo/run_demo.py cleanup "$state" || true; }
on_signal() {
  trap - INT TERM HUP
  if [ -n "$child" ]; then kill -TERM "$child" 2>/dev/null || true; wait "$child" || true; fi
  exit "$1"
}
trap cleanup EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM
trap 'on_signal 129' HUP

scripts/install-deps.sh

echo "demo: building the Windows programs into $build"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j2 --target Updater TVRLaunch zlibdll tuvora zenboclient winrun

mkdir -p "$work"
# Standard input stays the terminal's: the demo asks for Enter at its end.
PYTHONDONTWRITEBYTECODE=1 python3 scripts/demo/run_demo.py --bin "$build/bin" --work "$work" "$@" <&0 &
child=$!
status=0
wait "$child" || status=$?
child=""
exit "$status"
