#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless:
# every test starts its own Xvfb screen, so no display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --tests
"$root/scripts/build.sh" -DBUILD_TESTING=ON "$@"
cd "${CLIPVANE_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc)"
