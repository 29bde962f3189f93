#!/usr/bin/env bash
# Draws the toolbar bitmap (resource 5) with ImageMagick: 18 images of 16 x 16 in the
# toolbar's image order, on the light gray (192,192,192) that the toolbar maps to the
# button face, saved as an 8-bit palette BMP. The committed toolbar.bmp is what the
# build uses; run this only to redraw it.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bg='#c0c0c0'
n=0
img() {  # img DRAW-ARGS...: one 16 x 16 image
    convert -size 16x16 "xc:$bg" "$@" "$tmp/$(printf %02d $n).png"
    n=$((n + 1))
}
plug='-fill #3060a0 -stroke #102040'
img $plug -draw 'polygon 2,5 13,5 11,11 4,11' -fill '#ffffff' -stroke none \
    -draw 'point 5,7' -draw 'point 7,7' -draw 'point 9,7' -draw 'point 6,9' -draw 'point 8,9' \
    -stroke '#102040' -draw 'line 7,11 7,15'                                    # 0 serial
img $plug -draw 'rectangle 1,5 14,10' -fill '#ffd040' -stroke none \
    -draw 'line 3,7 12,7' -draw 'line 4,9 11,9' -stroke '#102040' -draw 'line 7,10 7,15'  # 1 parallel
img -fill '#2080c0' -stroke '#104060' -draw 'circle 8,8 8,1' -fill none -stroke '#c0e0ff' \
    -draw 'ellipse 8,8 3,7 0,360' -draw 'line 1,8 15,8' -draw 'line 2,5 14,5' -draw 'line 2,11 14,11'  # 2 network
img -fill none -stroke '#202020' -strokewidth 1.5 -draw 'line 8,2 8,14' -draw 'line 8,9 4,6' \
    -draw 'line 8,11 12,8' -fill '#202020' -draw 'circle 8,14 8,13' -draw 'rectangle 11,6 13,8' \
    -draw 'circle 4,5 4,4' -draw 'polygon 8,0 6,3 10,3'                          # 3 USB
img $plug -draw 'polygon 1,4 7,4 6,10 2,10' -draw 'polygon 9,6 15,6 14,12 10,12' \
    -fill none -stroke '#e02020' -strokewidth 2 -draw 'line 6,1 10,15'           # 4 disconnect
page() { echo "-fill #ffffff -stroke #404040 -draw rectangle,$1,$2,$3,$4"; }
img -fill '#ffffff' -stroke '#404040' -draw 'rectangle 1,1 9,11' -draw 'rectangle 6,4 14,14' \
    -stroke '#8080c0' -draw 'line 8,7 12,7' -draw 'line 8,9 12,9' -draw 'line 8,11 11,11'  # 5 copy
img -fill '#c08040' -stroke '#604020' -draw 'rectangle 2,2 12,14' -fill '#e0e0e0' -stroke '#606060' \
    -draw 'rectangle 5,1 9,3' -fill '#ffffff' -stroke '#404040' -draw 'rectangle 6,6 14,15' \
    -stroke '#8080c0' -draw 'line 8,9 12,9' -draw 'line 8,11 12,11'              # 6 paste
img -fill '#ffffff' -stroke '#404040' -draw 'rectangle 1,1 9,11' -draw 'rectangle 6,4 14,14' \
    -fill '#2060c0' -stroke none -draw 'rectangle 8,6 12,12'                     # 7 copy all
img -fill '#ffffff' -stroke '#404040' -draw 'rectangle 2,2 13,13' -fill '#2060c0' -stroke none \
    -draw 'rectangle 4,4 11,5' -draw 'rectangle 4,7 11,8' -draw 'rectangle 4,10 9,11'  # 8 select all
img -fill '#ffffff' -stroke '#404040' -draw 'rectangle 2,1 11,14' -fill none -stroke '#e02020' \
    -strokewidth 2 -draw 'line 6,6 14,14' -draw 'line 14,6 6,14'                 # 9 clear
img -fill '#e8e8e8' -stroke '#404040' -draw 'rectangle 0,5 15,12' -fill '#606060' -stroke none \
    -draw 'rectangle 2,7 3,8' -draw 'rectangle 5,7 6,8' -draw 'rectangle 8,7 9,8' -draw 'rectangle 11,7 12,8' \
    -draw 'rectangle 4,10 11,10' -fill none -stroke '#e02020' -strokewidth 2 -draw 'line 2,2 14,15'  # 10 key disable
img -fill '#ffffff' -stroke '#404040' -draw 'rectangle 1,1 8,13' -fill '#20a040' -stroke '#106020' \
    -draw 'polygon 7,6 11,6 11,3 15,8 11,13 11,10 7,10'                          # 11 file send
img -fill '#20a040' -stroke '#106020' -draw 'polygon 4,2 13,8 4,14'              # 12 resume
img -fill '#e02020' -stroke '#801010' -draw 'rectangle 3,3 12,12'                # 13 abort
img -fill '#2060c0' -stroke '#103060' -draw 'rectangle 3,2 6,13' -draw 'rectangle 9,2 12,13'  # 14 pause
img -fill '#4060a0' -stroke '#203050' -draw 'rectangle 1,1 14,14' -fill '#ffffff' -stroke none \
    -draw 'rectangle 4,2 11,6' -fill '#20a040' -draw 'polygon 6,8 10,8 10,10 12,10 8,14 4,10 6,10'  # 15 save received
img -fill '#4060a0' -stroke '#203050' -draw 'rectangle 1,1 14,14' -fill '#ffffff' -stroke none \
    -draw 'rectangle 4,2 11,6' -fill none -stroke '#e02020' -strokewidth 2 -draw 'line 5,8 12,15' \
    -draw 'line 12,8 5,15'                                                       # 16 stop saving
img -fill '#2060c0' -stroke '#103060' -draw 'circle 8,8 8,1' -fill '#ffffff' -stroke none \
    -draw 'rectangle 7,7 8,12' -draw 'rectangle 7,4 8,5'                         # 17 version
convert "$tmp"/*.png +append -background "$bg" -alpha remove -colors 64 -type Palette BMP3:toolbar.bmp
