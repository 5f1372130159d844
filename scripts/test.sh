#!/usr/bin/env bash
# The project's test command: installs what is missing, builds both presets,
# and runs every test (native unit tests, then the Windows programs under
# Wine) through ctest. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows

status=0
ctest --preset native -j2 || status=1
ctest --preset windows || status=1
exit $status
