#!/bin/sh
# Draws the images of a file row (LineItem.xml) with ImageMagick: the output-type combo, the
# progress bar and the four operation buttons. The PNGs are committed; run this again only
# to change them.
#   scripts/skin-images/rows.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Pictavo "${1:-}"

# The combo, 120 x 32 (the skin keeps 2 px at the left and the arrow's 88 px at the right):
# white with a 4 px rounded border and a chevron at the right.
combo() { # name border chevron
    out=$1
    png -size 120x32 xc:none -fill white -stroke "$2" -strokewidth 1 \
        -draw "roundrectangle 0.5,0.5 119.5,31.5 4,4" \
        -fill none -stroke "$3" -strokewidth 1.6 -draw "polyline 99,13.5 103,17.5 107,13.5"
}
combo combo_nor.png "$line" "$hint"
combo combo_hover.png "$hover" "$blue"
combo combo_over.png "$blue" "$blue"

# The progress bar, 20 x 10 with 4 px corners: a light track and the primary blue fill.
bar() { # name colour
    out=$1
    png -size 20x10 xc:none -fill "$2" -draw "roundrectangle 0,0 19,9 4,4"
}
bar progress_back.png "$line"
bar progress_fore.png "$blue"

# Operation buttons, 32 x 32 with a 20 px line glyph: grey, and blue on a light panel when
# hovered.
op() { # name draw...
    name=$1; shift
    out=$name.png
    png -size 32x32 xc:none -fill none -stroke "$grey" -strokewidth 1.6 "$@"
    out=${name}_hover.png
    png -size 32x32 xc:none -fill "$panel" -draw "roundrectangle 0,0 31,31 5,5" \
        -fill none -stroke "$blue" -strokewidth 1.6 "$@"
}
op op_folder -draw "path 'M 7,10 L 13,10 L 15,12.5 L 25,12.5 L 25,23 L 7,23 Z'" \
    -draw "line 7,15.5 25,15.5"
op op_scan -draw "path 'M 6,16 C 9,10.5 23,10.5 26,16 C 23,21.5 9,21.5 6,16 Z'" \
    -draw "circle 16,16 16,13"
op op_setting -draw "line 8,11 24,11" -draw "line 8,16 24,16" -draw "line 8,21 24,21" \
    -fill white -draw "circle 12,11 12,9" -draw "circle 20,16 20,14" -draw "circle 14,21 14,19"
op op_del -draw "line 8,10.5 24,10.5" -draw "polyline 13,10.5 13,8 19,8 19,10.5" \
    -draw "path 'M 10,10.5 L 11,24 L 21,24 L 22,10.5'" -draw "line 14.5,14 14.5,20.5" \
    -draw "line 17.5,14 17.5,20.5"
