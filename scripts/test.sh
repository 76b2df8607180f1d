#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine (and Xvfb for windows).
# Usage: scripts/test.sh [ctest arguments...]     BUILD_ROOT=dir to build elsewhere.
# Where 32-bit programs cannot run (or MNEMORA_NO_32BIT=1), the i686 build is still built
# and checked without running it; its tests are skipped and the summary says why.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
. "$root/scripts/wine-env.sh"
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
    if mnemora_can_run "$arch"; then
        echo "== $arch: tests"
        xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$dir" --output-on-failure "$@"
        rc=$?
        result=$([ $rc -eq 0 ] && echo passed || echo FAILED)
    else
        echo "== $arch: static checks only ($MNEMORA_NO32_REASON)"
        ctest --test-dir "$dir" --output-on-failure -L static
        rc=$?
        result="static checks $([ $rc -eq 0 ] && echo passed || echo FAILED); its tests were NOT run: $MNEMORA_NO32_REASON"
    fi
    [ $rc -ne 0 ] && status=1
    summary+=("$arch: $result")
    # Screenshots the tests saved, as PNG for viewing.
    if [ -d "$dir/screenshots" ] && command -v convert >/dev/null; then
        for bmp in "$dir"/screenshots/*.bmp; do
            [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
        done
    fi
done
# A slice of the conditions matrix (scripts/conditions.sh): Windows 10 at 144 DPI with a UTF-8
# code page, and a user without administrator rights, on the first architecture that runs here.
for arch in $MNEMORA_RUN_ARCHS; do
    echo "== $arch: conditions slice"
    if MNEMORA_NO_BUILD=1 BUILD_ROOT="$build_root" "$root/scripts/conditions.sh" --arch "$arch" --slice; then
        summary+=("$arch: conditions slice (modern, user) passed")
    else
        status=1
        summary+=("$arch: conditions slice (modern, user) FAILED")
    fi
    break
done
# The i686 program must carry what the tested x86_64 one carries.
if ! mnemora_can_run i686; then
    python3 "$root/scripts/check-exe.py" "$build_root/i686/bin/Ramvane.exe" --arch i686 \
        --same-resources-as "$build_root/x86_64/bin/Ramvane.exe" || { status=1; summary+=("i686: resources differ from x86_64"); }
fi
printf '%s\n' "${summary[@]}"
exit $status
