#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a set time, one after the other.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target names...]
#   BUILD_ROOT=dir builds in dir/fuzz (default: build/fuzz).
# Each target starts from its committed seeds (fuzz/corpus/<name>) and keeps what it finds
# new in build/fuzz/corpus/<name>; an input that crashes it or trips a sanitizer is saved in
# build/fuzz/findings/<name>/ (make it a regression test in tests/). Prints executions and
# findings per target; exits 1 when any target found something or did not run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
"$root/scripts/setup.sh" || exit 1
build=${BUILD_ROOT:-$root/build}/fuzz
mkdir -p "$build"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" >"$build.build.log" 2>&1 || { cat "$build.build.log"; exit 1; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$build"/fuzz_*; do targets+=("${exe##*/fuzz_}"); done
fi
status=0
rows=()
for name in "${targets[@]}"; do
    exe=$build/fuzz_$name
    corpus=$build/corpus/$name
    findings=$build/findings/$name
    log=$build/$name.log
    mkdir -p "$corpus" "$findings"
    echo "== $name: ${seconds} s"
    "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "$root/fuzz/corpus/$name" >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    found=$(find "$findings" -type f | wc -l)
    if [ $rc -ne 0 ] || [ "$found" -ne 0 ] || [ -z "$execs" ]; then
        status=1
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -5
    fi
    rows+=("$(printf '%-10s %12s executions %8s/s  %5s edges  %d findings%s' "$name" "${execs:-?}" \
        "${rate:-?}" "${edges:-?}" "$found" "$([ $rc -ne 0 ] && echo "  (exit $rc, see $log)")")")
done
printf '%s\n' "${rows[@]}"
exit $status
