#!/usr/bin/env bash
# Builds the Debian package build-deb/kaleidor_<version>_<arch>.deb: a Release
# build for /usr packed by CPack, its dependencies computed from the binaries
# by dpkg-shlibdeps plus the run-time packages the program loads by name.
# Checks it with lintian when that is installed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-deb"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKALEIDOR_TESTS=OFF -DKALEIDOR_BENCH=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/kaleidor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kaleidor_*.deb)
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "Built $deb"
