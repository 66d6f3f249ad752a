#!/bin/sh
# Draws the images of the settings window and the toast with ImageMagick: the window
# background, the link glyph between the size edits, the slider track, fill and thumbs, and
# the toast's rounded backing. The PNGs are committed; run this again only to change them.
#   scripts/skin-images/settings.sh [skins folder]
set -eu

skins=${1:-$(dirname "$0")/../../skins}
dest=$skins/Pictavo
mkdir -p "$dest"

# Same bytes on every run: no time stamps or other metadata.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "PNG32:$out"; }

# Plain white: the settings window paints it over its grey base colour inside the border.
out=$dest/white_bg.png
png -size 12x12 xc:white

# Slider track and fill, 13 high with a 4 px bar in the middle; 9 px ends stay unscaled.
bar() {
    out=$dest/$1
    png -size 20x13 xc:none -fill "$2" -draw "roundrectangle 0,4.5,19,8.5,2,2"
}
bar slider_bg.png '#e3e6ef'
bar slider_fg.png '#5e70c4'

# The thumb, 13 x 13: a white disc ringed in blue; hovered, a blue disc with a white centre.
out=$dest/slider_thumb.png
png -size 13x13 xc:none -fill white -stroke '#5e70c4' -strokewidth 2 -draw "circle 6,6 6,1.2"
out=$dest/slider_thumb_hover.png
png -size 13x13 xc:none -fill '#7383d1' -stroke '#7383d1' -strokewidth 1 -draw "circle 6,6 6,0.6" \
    -fill white -stroke none -draw "circle 6,6 6,3.8"

# Two chain links between the width and height edits: width and height keep their ratio.
out=$dest/link.png
png -size 18x17 xc:none -fill none -stroke '#999999' -strokewidth 1.5 \
    -draw "roundrectangle 1.5,5.5 9.5,11.5 3,3" -draw "roundrectangle 8.5,5.5 16.5,11.5 3,3"

# The toast's backing: dark grey with 5 px corners, under white text.
out=$dest/tips_bg.png
png -size 12x12 xc:none -fill '#333333' -draw "roundrectangle 0,0,11,11,5,5"
