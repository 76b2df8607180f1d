#!/usr/bin/env bash
# Puts the windows the end-to-end tests photographed at 96, 144 and 192 DPI into docs/dpi96,
# docs/dpi144 and docs/dpi192: each screenshot cropped to the window in front when it was
# taken (the rectangle the test driver wrote beside it) and stored as a small palette PNG.
# Run scripts/conditions.sh --arch i686 --only default,dpi144,dpi192 first.
#
# Usage: scripts/doc-screenshots.sh [build folder of i686, default build/i686]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/i686}
# screenshot name in the tests -> name in docs/; a run in progress (the main window again) only
# at 96 DPI
names=(main_compact main_expanded report low_memory_query about tool_warning exit_confirmation
       process_window:process_manager service_manager startup_manager:startup_items startup_run_setup
       cache_settings memory_modules logo)
for pair in default:96 dpi144:144 dpi192:192; do
    condition=${pair%%:*} dpi=${pair#*:}
    from=$build/screenshots-$condition
    to=$root/docs/dpi$dpi
    mkdir -p "$to"
    shots=("${names[@]}")
    [ "$dpi" = 96 ] && shots+=(main_running)
    for entry in "${shots[@]}"; do
        shot=${entry%%:*} name=${entry#*:}
        image=$from/$shot.png
        [ -e "$image" ] || image=$from/$shot.bmp
        if [ ! -e "$image" ] || [ ! -e "$from/$shot.txt" ]; then
            echo "missing: $from/$shot (.png or .bmp, and .txt)" >&2
            continue
        fi
        read -r left top right bottom < <(tr -d '\r' <"$from/$shot.txt")
        colors=32
        [ "$name" = logo ] && colors=128  # its gradient would band
        convert "$image" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
            +dither -colors $colors -strip -define png:compression-level=9 "PNG8:$to/$name.png"
    done
done
du -ch "$root"/docs/dpi*/*.png | tail -1
