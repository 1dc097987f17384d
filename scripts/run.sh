#!/usr/bin/env bash
# Installs what is missing, builds Quorvia (release) and starts it in the current directory.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

bash "$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUORVIA_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/build/release" -j "$(nproc)"

program="$top/build/release/src/app/quorvia"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting Quorvia on a virtual one (xvfb-run)." >&2
    exec xvfb-run -a "$program"
fi
exec "$program"
