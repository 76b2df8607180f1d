#!/usr/bin/env bash
# Builds the release files into dist/: Mnemora-<version>-setup.exe (i686) and the portable
# archives Mnemora-<version>-i686.zip and Mnemora-<version>-x86_64.zip, and checks them
# (tests/release/check-release.py). The version is the project's (CMakeLists.txt), which
# the version resource is made from. BUILD_ROOT=dir builds elsewhere (default: build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build_root=${BUILD_ROOT:-$root/build}
dist=$root/dist
mkdir -p "$build_root" "$dist"
# Files of another version left here would pass for this one's.
rm -f "$dist"/Mnemora-*
for arch in i686 x86_64; do
    dir=$build_root/$arch
    echo "== $arch"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
    targets=(portable)
    [ "$arch" = i686 ] && targets+=(setup)
    cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
    check=(--program-dir "$dir/bin" --version "$version" --zip "$dir/release/Mnemora-$version-$arch.zip")
    files=("$dir/release/Mnemora-$version-$arch.zip")
    if [ "$arch" = i686 ]; then
        check+=(--setup "$dir/release/Mnemora-$version-setup.exe")
        files+=("$dir/release/Mnemora-$version-setup.exe")
    fi
    python3 "$root/tests/release/check-release.py" "${check[@]}"
    cp "${files[@]}" "$dist/"
done
ls -l "$dist"
