#!/usr/bin/env bash
# Builds Mnemora and starts it under Wine. Without a display it starts Xvfb,
# waits for the main window and saves a screenshot.
# Usage: scripts/run.sh [--screenshot-only] [program arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
once=0
if [ "${1:-}" = "--screenshot-only" ]; then once=1; shift; fi
"$root/scripts/setup.sh"
. "$root/scripts/wine-env.sh"
arch=i686 wine_arch=win32
if ! mnemora_can_run i686; then
    arch=x86_64 wine_arch=win64
    echo "32-bit programs cannot run here ($MNEMORA_NO32_REASON): starting the x86_64 build"
fi
build="$root/build/$arch"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target Ramvane mnemora_driver
echo "program folder: $build/bin"

export WINEPREFIX="$build/wine/run-prefix" WINEARCH=$wine_arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$root/cmake/wine-prefix.sh" reset "$build/wine/template" "$WINEPREFIX" "$wine_arch"
fi

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
fi
cleanup() {
    "$MNEMORA_WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

"$MNEMORA_WINE" "$build/bin/Ramvane.exe" "$@" </dev/null >/dev/null 2>&1 &
app=$!
if "$MNEMORA_WINE" "$build/tools/mnemora_driver.exe" wait-window Mnemora 60 </dev/null >/dev/null 2>&1; then
    sleep 1
    shot="$build/screenshot.png"
    import -window root "$shot" && echo "screenshot: $shot"
else
    echo "the window titled Mnemora did not appear" >&2
    exit 1
fi
if [ $once -eq 1 ]; then exit 0; fi
echo "Mnemora is running (display $DISPLAY); press Ctrl+C to stop."
wait $app || true
