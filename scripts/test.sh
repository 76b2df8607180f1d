#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine (and Xvfb for windows).
# Usage: scripts/test.sh [ctest arguments...]     BUILD_ROOT=dir to build elsewhere.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
build_root=${BUILD_ROOT:-$root/build}
mkdir -p "$build_root" || exit 1
status=0
summary=()
for arch in i686 x86_64; do
    dir="$build_root/$arch"
    echo "== $arch: configure and build"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
    cmake --build "$dir" -j"$(nproc)" || exit 1
    echo "== $arch: tests"
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$dir" --output-on-failure "$@"
    rc=$?
    [ $rc -ne 0 ] && status=1
    summary+=("$arch: $( [ $rc -eq 0 ] && echo passed || echo FAILED )")
    # Screenshots the tests saved, as PNG for viewing.
    if [ -d "$dir/screenshots" ] && command -v convert >/dev/null; then
        for bmp in "$dir"/screenshots/*.bmp; do
            [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
        done
    fi
done
printf '%s\n' "${summary[@]}"
exit $status
