#!/usr/bin/env bash
# Installs what is missing, builds Quorvia with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVIA_BUILD_BENCH=OFF >/dev/null
cmake --build build/debug -j "$jobs"
(cd build/debug && ctest --output-on-failure -j "$jobs")
