#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless:
# every test starts its own Xvfb screen, so no display is needed. Then, unless
# CMake arguments were given (a sanitizer build of the whole suite, say), the
# logic tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# from their layers alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --tests
"$root/scripts/build.sh" -DBUILD_TESTING=ON "$@"
status=0
ctest --test-dir "${CLIPVANE_BUILD_DIR:-$root/build}" --output-on-failure -j"$(nproc)" || status=$?
if [[ $# -eq 0 ]]; then
    logic="${CLIPVANE_LOGIC_BUILD_DIR:-$root/build-logic-asan}"
    cmake -S "$root" -B "$logic" -DBUILD_TESTING=ON -DCLIPVANE_SANITIZE=ON >/dev/null
    cmake --build "$logic" --target logic_tests -j"$(nproc)"
    ctest --test-dir "$logic" -L logic --output-on-failure -j"$(nproc)" || status=$?
fi
exit "$status"
