#!/usr/bin/env bash
# Installs what is missing, builds Quorvia (release) and starts it in the current directory.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

bash "$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQUORVIA_BUILD_TESTS=OFF >/dev/null
cmake --build "$top/build/release" -j "$(nproc)"

if [ -x "$top/build/release/src/app/quorvia" ]; then
    exec "$top/build/release/src/app/quorvia"
fi
# Until the window exists, the run command shows what the core does: the benchmark.
exec "$top/build/release/bench/quorvia-bench" "$@"
