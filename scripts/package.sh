#!/usr/bin/env bash
# Builds the Debian package (release build in build/release, then cpack) and checks it: the
# desktop entry, the AppStream metainfo and the package itself must show no error.
# Usage: scripts/package.sh   (prints the package's path last)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build/release"

bash "$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVIA_BUILD_TESTS=OFF \
    -DQUORVIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}"
rm -f "$build"/quorvia_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/quorvia_*_"$(dpkg --print-architecture)".deb)

echo "== desktop-file-validate"
desktop-file-validate "$top/resources/quorvia.desktop"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$top"/resources/package/*.metainfo.xml
echo "== lintian"
status=0
lintian --fail-on error "$package" >"$build/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$build/lintian.log" || true
[ "$status" -eq 0 ] || { echo "lintian found errors in $package" >&2; exit 1; }
echo "$package"
