#!/usr/bin/env bash
# Redraws Templates/404.gif, the image the handler sends for a missing image. Needs ImageMagick's convert.
# The result is committed; the build does not run this.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 240x140 xc:none \
    -fill '#f4f6f9' -stroke '#c3ccd8' -strokewidth 2 -draw "roundrectangle 1,1 238,138 10,10" \
    -stroke none -fill '#dde3eb' -draw "roundrectangle 28,26 80,74 4,4" \
    -fill '#f4f6f9' -draw "circle 42,40 46,40" \
    -fill '#9aa8ba' -draw "polygon 30,72 48,52 60,64 68,56 78,72" \
    -stroke '#c0392b' -strokewidth 4 -draw "line 26,78 82,22" -stroke none \
    -font DejaVu-Sans-Bold -pointsize 46 -fill '#1f3a5f' -annotate +96+70 '404' \
    -font DejaVu-Sans -pointsize 13 -fill '#5b6b7f' -gravity north -annotate +0+100 'The image could not be found' \
    +dither -colors 32 Templates/404.gif
