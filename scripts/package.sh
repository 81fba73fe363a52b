#!/usr/bin/env bash
# Installs what is missing, builds the program alone in Release into
# build-package/ and makes the Debian package there; shows its control data
# and the files it holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"
"$root/scripts/deps.sh" --package
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls -t "$build"/clipvane_*.deb | head -n 1)
dpkg-deb --info "$package"
dpkg-deb --contents "$package"
echo "$package"
