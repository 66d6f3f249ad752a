#!/bin/sh
# Draws the images of the settings window and the toast with ImageMagick: the window
# background, the link glyph between the size edits, the slider track, fill and thumbs, and
# the toast's rounded backing. The PNGs are committed; run this again only to change them.
#   scripts/skin-images/settings.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Pictavo "${1:-}"

# Plain white: the settings window paints it over its grey base colour inside the border.
out=white_bg.png
png -size 12x12 xc:white

# Slider track and fill, 13 high with a 4 px bar in the middle; 9 px ends stay unscaled.
bar() {
    out=$1
    png -size 20x13 xc:none -fill "$2" -draw "roundrectangle 0,4.5,19,8.5,2,2"
}
bar slider_bg.png "$line"
bar slider_fg.png "$blue"

# The thumb, 13 x 13: a white disc ringed in blue; hovered, a blue disc with a white centre.
out=slider_thumb.png
png -size 13x13 xc:none -fill white -stroke "$blue" -strokewidth 2 -draw "circle 6,6 6,1.2"
out=slider_thumb_hover.png
png -size 13x13 xc:none -fill "$hover" -stroke "$hover" -strokewidth 1 -draw "circle 6,6 6,0.6" \
    -fill white -stroke none -draw "circle 6,6 6,3.8"

# Two chain links between the width and height edits: width and height keep their ratio.
out=link.png
png -size 18x17 xc:none -fill none -stroke "$hint" -strokewidth 1.5 \
    -draw "roundrectangle 1.5,5.5 9.5,11.5 3,3" -draw "roundrectangle 8.5,5.5 16.5,11.5 3,3"

# The toast's backing: dark grey with 5 px corners, under white text.
out=tips_bg.png
png -size 12x12 xc:none -fill '#333333' -draw "roundrectangle 0,0,11,11,5,5"
