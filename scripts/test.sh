#!/usr/bin/env bash
# The project's test command: installs what is missing, builds the presets,
# and runs every test through ctest: native unit tests under ASan and UBSan,
# the threaded ones (label "threads") again under TSan, the fuzz targets for a
# bounded time, then the Windows programs under Wine.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
cmake --preset native-tsan
cmake --build --preset native-tsan
cmake --preset fuzz
cmake --build --preset fuzz
cmake --preset windows
cmake --build --preset windows

status=0
ctest --preset native -j2 || status=1
ctest --preset native-tsan -j2 --no-tests=ignore || status=1
ctest --preset fuzz -j2 --no-tests=ignore || status=1
ctest --preset windows || status=1
exit $status
