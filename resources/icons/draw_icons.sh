#!/usr/bin/env bash
# Draws the program's icons with ImageMagick and packs them with icoutils.
# The committed .ico files are what the build uses; run this only to redraw them.
#   frame.ico    icon 3: the frame and the About box - a bench monitor with a prompt
#   terminal.ico icon 4: the terminal windows - a console window with received lines
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Coordinates are given on a 32-pixel grid and scaled, so each size is drawn
# at its own resolution rather than shrunk from a larger picture.
frame() {
    local s=$1 k
    k=$(echo "$s / 32" | bc -l)
    p() { printf '%.2f' "$(echo "$1 * $k" | bc -l)"; }
    "$convert" -size "${s}x${s}" xc:none \
        -fill '#2a3644' -stroke none -draw "rectangle $(p 8) $(p 27) $(p 24) $(p 30)" \
        -fill '#3a4a5c' -draw "rectangle $(p 13) $(p 23) $(p 19) $(p 28)" \
        -fill '#46586c' -stroke '#1c2530' -strokewidth "$(p 1)" \
            -draw "roundrectangle $(p 1) $(p 2) $(p 31) $(p 24) $(p 3) $(p 3)" \
        -fill '#08160f' -stroke '#10202a' -draw "rectangle $(p 4) $(p 5) $(p 28) $(p 20)" \
        -fill none -stroke '#5dff8f' -strokewidth "$(p 2.2)" \
            -draw "polyline $(p 7.5) $(p 8.5) $(p 12) $(p 12.5) $(p 7.5) $(p 16.5)" \
        -stroke '#5dff8f' -draw "line $(p 14) $(p 16.5) $(p 21) $(p 16.5)" \
        -fill '#ffb020' -stroke none -draw "circle $(p 26) $(p 22.2) $(p 27) $(p 22.2)" \
        "$tmp/frame-$s.png"
}

terminal() {
    local s=$1 k
    k=$(echo "$s / 32" | bc -l)
    p() { printf '%.2f' "$(echo "$1 * $k" | bc -l)"; }
    "$convert" -size "${s}x${s}" xc:none \
        -fill '#f4f4f4' -stroke '#3c3c3c' -strokewidth "$(p 1)" \
            -draw "rectangle $(p 1.5) $(p 2.5) $(p 30.5) $(p 29.5)" \
        -fill '#2f6fb8' -stroke none -draw "rectangle $(p 2) $(p 3) $(p 30) $(p 8)" \
        -fill '#101418' -draw "rectangle $(p 3) $(p 9) $(p 29) $(p 28)" \
        -fill none -stroke '#5dff8f' -strokewidth "$(p 2)" \
            -draw "line $(p 5) $(p 12.5) $(p 20) $(p 12.5)" \
            -draw "line $(p 5) $(p 17) $(p 25) $(p 17)" \
            -draw "line $(p 5) $(p 21.5) $(p 13) $(p 21.5)" \
        -fill '#e8e8e8' -stroke none -draw "rectangle $(p 15) $(p 20) $(p 18) $(p 24)" \
        "$tmp/terminal-$s.png"
}

for s in 16 32 48; do
    frame "$s"
    terminal "$s"
done
icotool -c -o frame.ico "$tmp"/frame-16.png "$tmp"/frame-32.png "$tmp"/frame-48.png
icotool -c -o terminal.ico "$tmp"/terminal-16.png "$tmp"/terminal-32.png "$tmp"/terminal-48.png
