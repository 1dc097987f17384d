#!/usr/bin/env bash
# Builds the libFuzzer targets (Clang with AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each one for the given seconds on a scratch copy of its seed corpus; fails on any finding.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 20; FUZZ_MAX_LEN bounds inputs, 4096)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
max_len="${FUZZ_MAX_LEN:-4096}"
case "$seconds$max_len" in
    '' | *[!0-9]*)
        echo "usage: $0 [seconds-per-target]" >&2
        exit 2
        ;;
esac

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: skipped, clang++ is not installed (Debian: clang, libclang-rt-14-dev)"
    exit 0
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The fuzzer runtime ships apart from the compiler: try linking a target against it.
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$scratch/probe.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$scratch/probe.cpp" -o "$scratch/probe" \
    >/dev/null 2>&1; then
    echo "fuzz: skipped, clang++ cannot link libFuzzer (Debian: libclang-rt-14-dev)"
    exit 0
fi

build="$top/build/fuzz"
# RelWithDebInfo without NDEBUG: the library's assertions stay on while fuzzing.
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DQUORVIA_FUZZ=ON -DQUORVIA_BUILD_UI=OFF \
    -DQUORVIA_BUILD_BENCH=OFF -DQUORVIA_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=(DatabaseReaderFuzz RecordsFuzz SettingsFuzz TextImportFuzz PhoneImportFuzz OpmlImportFuzz)
findings="$build/findings"
failed=()
TIMEFORMAT='%R %U %S'
for target in "${targets[@]}"; do
    corpus="$scratch/$target"
    rm -rf "$findings/$target"
    mkdir -p "$corpus" "$findings/$target"
    cp "$top/tests/fuzz/corpus/$target/"* "$corpus/"
    log="$findings/$target.log"
    status=0
    { time "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/$target/" \
        "$corpus" >"$log" 2>&1; } 2>"$scratch/time" || status=$?
    read -r wall user system <"$scratch/time"
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    printf '%-18s %s executions, %ss wall, %s s CPU\n' "$target" "${executions:-?}" "$wall" \
        "$(awk "BEGIN { print $user + $system }")"
    if [ -n "$done_line" ]; then
        echo "    $done_line"
    fi
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        echo "    FINDING (exit $status): see $log and $findings/$target/" >&2
        grep -E 'ERROR:|property broken|runtime error|Test unit written' "$log" | head -5 >&2 ||
            true
    fi
done

if [ "${#failed[@]}" -ne 0 ]; then
    echo "fuzz: findings in ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: no findings"
