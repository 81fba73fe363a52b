#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless:
# every test starts its own Xvfb screen, so no display is needed. Then, unless
# CMake arguments were given (a sanitizer build of the whole suite, say), the
# whole suite again built with AddressSanitizer and UndefinedBehaviorSanitizer
# (the fuzz targets aside: they build with their own sanitizers), and the
# logic tests built with ThreadSanitizer from their layers alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --tests
"$root/scripts/build.sh" -DBUILD_TESTING=ON "$@"
status=0
ctest --test-dir "${CLIPVANE_BUILD_DIR:-$root/build}" --output-on-failure -j"$(nproc)" || status=$?
if [[ $# -eq 0 ]]; then
    asan="${CLIPVANE_ASAN_BUILD_DIR:-$root/build-asan}"
    cmake -S "$root" -B "$asan" -DBUILD_TESTING=ON -DCLIPVANE_SANITIZE=ON >/dev/null
    cmake --build "$asan" -j"$(nproc)"
    ctest --test-dir "$asan" -E fuzz_readers --output-on-failure -j"$(nproc)" || status=$?
    tsan="${CLIPVANE_TSAN_LOGIC_BUILD_DIR:-$root/build-logic-tsan}"
    cmake -S "$root" -B "$tsan" -DBUILD_TESTING=ON -DCLIPVANE_TSAN=ON >/dev/null
    cmake --build "$tsan" --target logic_tests -j"$(nproc)"
    ctest --test-dir "$tsan" -L logic --output-on-failure -j"$(nproc)" || status=$?
fi
exit "$status"
