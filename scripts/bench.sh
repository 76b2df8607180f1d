#!/usr/bin/env bash
# Builds the benchmarks and Ramvane for both architectures, runs every benchmark under
# Wine (and Xvfb when there is no display) and the native memory reference next to
# bench_optimize, printing all figures. bench_memory_lists shows the memory lists run's own
# cost beside the optimization run's smallest step.
# Usage: scripts/bench.sh [seconds per program run of bench_refresh, default 30]
#        BUILD_ROOT=dir to build elsewhere; RUNS=n timed runs per block size (default 7);
#        RESIDENT_SECONDS=n how long the resident-cost comparison watches (default 60);
#        SOAK_HOURS=n the program time of the days-of-running test (default 48: about 80 minutes
#        here per architecture, Wine's timers firing at most every 10 ms);
#        BASELINE=dir, the build root of an earlier version (its <arch>/bin/Ramvane.exe):
#        bench_refresh then measures that program next to this one, in the same run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
. "$root/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
build_root=${BUILD_ROOT:-$root/build}
seconds=${1:-30}
runs=${RUNS:-7}
mkdir -p "$build_root" || exit 1

# The native reference is built with the host's compiler, outside the cross build.
if ! command -v cc >/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends gcc libc6-dev >/dev/null
    else
        echo "no host C compiler (install gcc): the native reference is skipped" >&2
    fi
fi
native=
if command -v cc >/dev/null; then
    native="$build_root/native_touch"
    cc -O2 -Wall -Wextra -Werror -o "$native" "$root/bench/native_touch.c" || native=
fi

benches=()
for src in "$root"/bench/*.cpp; do benches+=("$(basename "$src" .cpp)"); done

status=0
for arch in i686 x86_64; do
    if ! mnemora_can_run "$arch"; then
        echo "== $arch: not run ($MNEMORA_NO32_REASON); the x86_64 figures follow"
        continue
    fi
    dir="$build_root/$arch"
    wine_arch=$([ "$arch" = i686 ] && echo win32 || echo win64)
    echo "== $arch: configure and build"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
    cmake --build "$dir" -j"$(nproc)" --target "${benches[@]}" Ramvane mnemora_driver bare_tray e2e_tests >"$dir.bench-build.log" 2>&1 ||
        { tail -40 "$dir.bench-build.log"; exit 1; }

    # A prefix of the benchmarks' own, fresh from the template, with the desktop held
    # open so the tray has a taskbar; the tests' prefix is left alone.
    export WINEPREFIX="$dir/wine/bench-prefix" WINEARCH=$wine_arch WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    "$root/cmake/wine-prefix.sh" reset "$dir/wine/template" "$WINEPREFIX" "$wine_arch" \
        "$dir/tools/mnemora_driver.exe" || exit 1
    for name in "${benches[@]}"; do
        args=()
        case "$name" in
        bench_optimize)
            args=("$runs")
            if [ -n "$native" ]; then
                echo "== native reference (for $arch bench_optimize)"
                "$native" "$runs" || status=1
            fi ;;
        bench_memory_lists)
            args=("$runs") ;;
        bench_refresh)
            args=("$seconds")
            earlier=
            [ -n "${BASELINE:-}" ] && earlier=$(cd "$BASELINE/$arch/bin" 2>/dev/null && pwd)/Ramvane.exe
            if [ -f "$earlier" ]; then args+=("Z:${earlier//\//\\}"); fi ;;
        esac
        echo "== $arch: $name"
        "$MNEMORA_WINE" "$dir/bench/$name.exe" "${args[@]}" </dev/null || { echo "$name exited with $?"; status=1; }
    done
    echo "== $arch: days of running (${SOAK_HOURS:-48} hours of program time)"
    MNEMORA_SOAK_HOURS=${SOAK_HOURS:-48} "$MNEMORA_WINE" "$dir/tests/e2e_tests.exe" \
        --gtest_filter='DaysOfRunningTest.*' </dev/null || { echo "the days of running failed"; status=1; }
    "$root/cmake/wine-prefix.sh" stop "$WINEPREFIX"
    echo "== $arch: resident cost beside a bare tray program"
    python3 "$root/scripts/bench-resident.py" "$dir" "$arch" "${RESIDENT_SECONDS:-60}" || status=1
done
exit $status
