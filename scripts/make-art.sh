#!/usr/bin/env bash
# Draws the program's icons and bitmaps with ImageMagick. The results are committed;
# run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/../res"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
font=DejaVu-Sans-Bold
# The logo names the project's version (CMakeLists.txt): draw it again when that changes.
version=$(sed -n 's/^project(Mnemora VERSION \([0-9.]*\).*/\1/p' ../CMakeLists.txt)

# Application icon: a memory chip with a green level bar on a dark rounded tile.
chip() {  # size out
    local s=$1 out=$2
    convert -size 64x64 xc:none \
        -fill '#1e1e1e' -draw "roundrectangle 2,2 61,61 12,12" \
        -fill '#d0d0d0' -draw "rectangle 14,6 18,12 rectangle 24,6 28,12 rectangle 34,6 38,12 rectangle 44,6 48,12" \
        -fill '#d0d0d0' -draw "rectangle 14,51 18,57 rectangle 24,51 28,57 rectangle 34,51 38,57 rectangle 44,51 48,57" \
        -fill '#303840' -stroke '#9aa8b0' -strokewidth 2 -draw "rectangle 9,13 54,50" -stroke none \
        -fill '#004000' -draw "rectangle 15,19 48,44" \
        -fill '#00ff00' -draw "rectangle 15,30 48,44" \
        -fill '#13eeff' -draw "rectangle 15,28 48,29" \
        -resize ${s}x${s} "$out"
}
for s in 16 24 32 48 64; do chip $s "$tmp/app$s.png"; done
convert "$tmp"/app16.png "$tmp"/app24.png "$tmp"/app32.png "$tmp"/app48.png "$tmp"/app64.png icons/app.ico
# The 64-pixel image is stored as PNG (16 KB less in the program): only Windows Vista and later
# ask for it (at 200 % scaling), and they read PNG images in icons; older systems never do.
png_icon_entry() {  # ico size png
    python3 - "$@" <<'PY'
import struct, sys
ico, size, png = sys.argv[1], int(sys.argv[2]), open(sys.argv[3], "rb").read()
data = open(ico, "rb").read()
count = struct.unpack_from("<H", data, 4)[0]
entries = [list(struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)) for i in range(count)]
images = [data[e[7]:e[7] + e[6]] for e in entries]
for e, i in zip(entries, range(count)):
    if e[0] == size % 256:
        images[i] = png
        e[6] = len(png)
offset = 6 + 16 * count
out = struct.pack("<HHH", 0, 1, count)
for e, image in zip(entries, images):
    e[7] = offset
    out += struct.pack("<BBBBHHII", *e)
    offset += len(image)
open(ico, "wb").write(out + b"".join(images))
PY
}
convert "$tmp"/app64.png -define png:compression-level=9 PNG32:"$tmp"/app64c.png
png_icon_entry icons/app.ico 64 "$tmp"/app64c.png
# The same picture as the stand-in for a program without an icon of its own: lists show it at
# 16 and 32 pixels only, so the other sizes are left out.
convert "$tmp"/app16.png "$tmp"/app32.png icons/program.ico

# Panel icon: a small dial.
convert -size 32x32 xc:none -fill '#202020' -draw "circle 16,16 16,2" \
    -stroke '#00ff00' -strokewidth 2 -fill none -draw "arc 5,5 27,27 150,390" \
    -stroke '#ff3030' -strokewidth 2 -draw "line 16,16 24,9" -stroke none -fill '#13eeff' -draw "circle 16,16 16,13" \
    "$tmp/panel32.png"
convert "$tmp/panel32.png" -resize 16x16 "$tmp/panel16.png"
convert "$tmp/panel16.png" "$tmp/panel32.png" icons/panel.ico

# Logo: 360 x 240, 24-bit.
convert -size 360x240 gradient:'#0b2a12-#000000' \
    -fill '#004000' -draw "rectangle 30,150 330,170" \
    -fill '#00ff00' -draw "rectangle 30,150 236,170" \
    -stroke '#0b2a12' -strokewidth 2 -draw "line 60,150 60,170 line 90,150 90,170 line 120,150 120,170 line 150,150 150,170 line 180,150 180,170 line 210,150 210,170 line 240,150 240,170 line 270,150 270,170 line 300,150 300,170" -stroke none \
    -font $font -pointsize 44 -fill '#13eeff' -annotate +30+95 'Mnemora' \
    -font DejaVu-Sans -pointsize 15 -fill '#ffffff' -annotate +32+125 'Watches and frees physical memory' \
    -font DejaVu-Sans -pointsize 12 -fill '#a0a0a0' -annotate +30+205 "Version $version" \
    "$tmp/logo.png"

# Banner for the lower panel.
convert -size 180x36 xc:white -font $font -pointsize 20 -fill '#1e7a2e' -annotate +4+26 'Mnemora' \
    -fill '#00c000' -draw "rectangle 120,12 124,28 rectangle 128,8 132,28 rectangle 136,16 140,28 rectangle 144,4 148,28 rectangle 152,10 156,28" \
    "$tmp/banner.png"
# Small glyphs: a memory module and a gear.
convert "$tmp/app32.png" -background white -flatten -resize 24x24 -type TrueColor BMP3:bitmaps/chip.bmp
convert -size 24x24 xc:white -fill '#555555' -draw "circle 12,12 12,2" -fill white -draw "circle 12,12 12,8" \
    -fill '#555555' -draw "rectangle 10,0 14,4 rectangle 10,20 14,24 rectangle 0,10 4,14 rectangle 20,10 24,14" \
    "$tmp/gear.png"
# The bitmaps are stored with a palette of at most 256 colours and run-length encoded: the
# logo's gradient and anti-aliased text fit in 256 colours without a visible change (the
# others have fewer to begin with), and the program gets 260 KB smaller. The chip is too
# small for a palette to pay.
for name in logo banner gear; do
    convert "$tmp/$name.png" +dither -colors 256 -type Palette -compress RLE BMP3:bitmaps/$name.bmp
done
# Tray base pictures: only the bottom eight rows show under the drawn figure; they carry
# a level bar, green up to half, yellow up to three quarters, red above. Opaque, so the
# figure's background fills the rest. The XP set is softer.
tray_base() {  # out fill-colour length frame-colour
    local out=$1 fill=$2 len=$3 frame=$4
    convert -size 32x32 xc:"$frame" -fill '#202020' -draw "rectangle 1,25 30,30" \
        -fill "$fill" -draw "rectangle 2,26 $len,29" -alpha off "$tmp/base.png"
    convert "$tmp/base.png" -resize 16x16 "$tmp/base16.png"
    convert "$tmp/base16.png" "$tmp/base.png" -alpha off "$out"
}
tray_base icons/tray_low.ico '#00d000' 12 '#c0c0c0'
tray_base icons/tray_middle.ico '#e0e000' 21 '#c0c0c0'
tray_base icons/tray_high.ico '#e00000' 29 '#c0c0c0'
tray_base icons/tray_xp_low.ico '#30e060' 12 '#9cb8e8'
tray_base icons/tray_xp_middle.ico '#f0d020' 21 '#9cb8e8'
tray_base icons/tray_xp_high.ico '#f04030' 29 '#9cb8e8'
# Alert: a red bell-shaped warning; running: green arrows chasing each other.
convert -size 32x32 xc:none -fill '#d01010' -draw "circle 16,16 16,2" \
    -fill white -draw "rectangle 14,7 18,19 rectangle 14,22 18,26" "$tmp/alert.png"
convert "$tmp/alert.png" -resize 16x16 "$tmp/alert16.png"
convert "$tmp/alert16.png" "$tmp/alert.png" icons/alert.ico
convert -size 32x32 xc:none -fill '#104010' -draw "circle 16,16 16,1" \
    -stroke '#00ff00' -strokewidth 3 -fill none -draw "arc 6,6 26,26 200,340" -draw "arc 6,6 26,26 20,160" \
    -stroke none -fill '#00ff00' -draw "polygon 26,10 30,18 22,17" -draw "polygon 6,22 2,14 10,15" "$tmp/run.png"
convert "$tmp/run.png" -resize 16x16 "$tmp/run16.png"
convert "$tmp/run16.png" "$tmp/run.png" icons/running.ico
# Service states: running, a green disc with a white play sign; not running, a grey disc with a white stop square.
convert -size 32x32 xc:none -fill '#1c9a2c' -stroke '#0e5a18' -strokewidth 2 -draw "circle 16,16 16,2" -stroke none \
    -fill white -draw "polygon 12,9 24,16 12,23" "$tmp/svc_run.png"
convert "$tmp/svc_run.png" -resize 16x16 "$tmp/svc_run16.png"
convert "$tmp/svc_run16.png" "$tmp/svc_run.png" icons/service_running.ico
convert -size 32x32 xc:none -fill '#9a9a9a' -stroke '#5a5a5a' -strokewidth 2 -draw "circle 16,16 16,2" -stroke none \
    -fill white -draw "rectangle 11,11 21,21" "$tmp/svc_stop.png"
convert "$tmp/svc_stop.png" -resize 16x16 "$tmp/svc_stop16.png"
convert "$tmp/svc_stop16.png" "$tmp/svc_stop.png" icons/service_stopped.ico
echo "artwork written to $(pwd)"
