#!/usr/bin/env bash
# Installs what is missing, builds Quorvia with its tests and runs every test: the normal build,
# the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, a short run of each
# fuzz target where Clang is installed, and the Debian package built and checked.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Tests"
cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVIA_BUILD_BENCH=OFF >/dev/null
cmake --build build/debug -j "$jobs"
(cd build/debug && ctest --output-on-failure -j "$jobs")

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVIA_SANITIZE=ON \
    -DQUORVIA_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ctest --output-on-failure -j "$jobs")

echo "== Fuzz targets, 20 seconds each"
bash scripts/fuzz.sh 20

echo "== Debian package"
bash scripts/package.sh
