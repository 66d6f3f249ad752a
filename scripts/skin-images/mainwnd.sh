#!/bin/sh
# Draws the main window's images with ImageMagick: title-bar glyphs, the tab options of the
# side bar, radio marks, the secondary and cancel buttons, the path field and the drop hint.
# The PNGs are committed; run this again only to change them.
#   scripts/skin-images/mainwnd.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Pictavo "${1:-}"

# Title-bar glyphs, 24 x 24, 1.6 px lines: grey, blue when hovered.
glyph() { # name colour draw...
    name=$1; colour=$2; shift 2
    out=$name
    png -size 24x24 xc:none -fill none -stroke "$colour" -strokewidth 1.6 "$@"
}
title_icons() { # suffix colour
    glyph "title_min$1.png" "$2" -draw "line 7,12.5 17,12.5"
    glyph "title_close$1.png" "$2" -draw "line 7.5,7.5 16.5,16.5" -draw "line 16.5,7.5 7.5,16.5"
    glyph "title_help$1.png" "$2" -draw "circle 12,12 12,4.5" \
        -draw "path 'M 9.5,10 C 9.5,7 14.5,7 14.5,10 C 14.5,12 12,12 12,14'" -draw "line 12,16.2 12,16.8"
    glyph "title_contact$1.png" "$2" -draw "roundrectangle 4.5,6.5 19.5,17.5 2,2" \
        -draw "polyline 5,7.5 12,13 19,7.5"
}
title_icons "" "$grey"
title_icons "_hover" "$blue"

# Side-bar options, 160 x 44: a line glyph at the left, the text is the option's own.
# normal: grey glyph; hover: light panel; selected: primary blue with a white glyph.
side() { # kind draw...
    kind=$1; shift
    out=side_${kind}_normal.png
    png -size 160x44 xc:none -fill none -stroke "$grey" -strokewidth 1.6 "$@"
    out=side_${kind}_hover.png
    png -size 160x44 xc:none -fill "$light" -draw "roundrectangle 0,0 159,43 5,5" \
        -fill none -stroke "$blue" -strokewidth 1.6 "$@"
    out=side_${kind}_selected.png
    png -size 160x44 xc:none -fill "$blue" -draw "roundrectangle 0,0 159,43 5,5" \
        -fill none -stroke white -strokewidth 1.6 "$@"
}
side normal -draw "roundrectangle 16,14 32,30 2,2" -draw "polyline 18,28 23,22 27,26 30,23 32,26"
side heic -draw "roundrectangle 15,15 27,29 2,2" -draw "line 29,22 35,22" -draw "polyline 32,19 35,22 32,25"
side compress -draw "roundrectangle 15,13 33,31 2,2" -draw "polyline 19,17 19,21 23,21" \
    -draw "line 19,21 23,17" -draw "polyline 29,27 29,23 25,23" -draw "line 29,23 25,27"

# Radio marks, 16 x 16.
out=radio.png
png -size 16x16 xc:none -fill white -stroke '#c5cbe6' -strokewidth 1.2 -draw "circle 7.5,7.5 7.5,1.2"
out=radio_hover.png
png -size 16x16 xc:none -fill white -stroke "$blue" -strokewidth 1.2 -draw "circle 7.5,7.5 7.5,1.2"
out=radio_sel.png
png -size 16x16 xc:none -fill white -stroke "$blue" -strokewidth 1.2 -draw "circle 7.5,7.5 7.5,1.2" \
    -fill "$blue" -stroke none -draw "circle 7.5,7.5 7.5,4"

# Buttons drawn as nine-patches (corner 5): the outlined secondary button and the cancel button.
nine() { # name fill border
    out=$1
    png -size 24x36 xc:none -fill "$2" -stroke "$3" -strokewidth 1 -draw "roundrectangle 0.5,0.5 23.5,35.5 5,5"
}
nine btn_plain.png '#ffffff' "$line"
nine btn_plain_hover.png "$panel" "$hover"
nine btn_plain_pushed.png '#eceef6' "$pressed"
nine btn_cancel.png "$red" "$red"
nine btn_cancel_hover.png '#ea6a6e' '#ea6a6e'
nine btn_cancel_pushed.png '#cc3a3f' '#cc3a3f'
nine edit_bk.png '#ffffff' "$line"
nine list_bk.png '#ffffff' "$line"

# The drop hint: a dashed rounded frame around an upload cloud, on white, drawn at the size
# the hint button is shown (940 x 326) so that nothing is stretched; the cloud sits above the
# button's text, which the skin pads 120 px down.
out=drag_hint.png
png -size 940x326 xc:white -fill none -stroke '#c5cbe6' -strokewidth 1.5 \
    -draw "stroke-dasharray 6 4 roundrectangle 1,1 938,324 5,5" \
    -stroke "$blue" -strokewidth 1.8 \
    -draw "affine 1.5,0,0,1.5,245,44 path 'M 126,74 C 118,74 114,68 116,62 C 118,55 126,53 131,56 C 134,46 148,44 154,52 C 162,48 172,54 170,63 C 177,64 178,74 170,74'" \
    -draw "affine 1.5,0,0,1.5,245,44 line 150,96 150,66" \
    -draw "affine 1.5,0,0,1.5,245,44 polyline 141,75 150,66 159,75"
