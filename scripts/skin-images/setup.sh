#!/bin/sh
# Draws the setup wizard's images with ImageMagick in the converter's style (primary blue,
# flat shapes, 5 px corners): the header, the progress page, the install button in its three
# states, the check box, the folder-bar toggle, the bottom bar, the progress bar, the title-bar
# glyphs and the scroll-bar thumbs. The PNGs are committed; run this again only to change them.
#   scripts/skin-images/setup.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder PictavoSetup "${1:-}"

edge='#8392a5' # the check box's frame

# The header behind page 0 and page 3, 640 x 260.
installer_header 640x260 40 150 500 28

# The progress page, 640 x 400: the header band with a picture turning into another, then white.
out=install_bg.png
png -size 640x400 xc:white \
    \( -size 640x300 -define gradient:angle=135 gradient:"$hover"-"$pressed" \) -geometry +0+0 -composite \
    -fill none -stroke white -strokewidth 3 \
    -draw "roundrectangle 200,110 300,190 8,8" -draw "polyline 208,182 236,150 258,170 272,158 292,182" \
    -draw "roundrectangle 350,120 430,180 6,6" -draw "polyline 356,174 380,148 398,164 410,154 424,174" \
    -draw "circle 412,136 412,130" \
    -stroke 'rgba(255,255,255,0.8)' -draw "line 308,150 332,150" -draw "polyline 324,142 332,150 324,158"

# The install button, 320 x 48: filled blue; hovered light with a blue edge (its text turns
# blue); pushed darker blue.
pill install.png 320 "$blue"
outlined_pill install_hover.png 320 "$light" "$blue"
pill install_pushed.png 320 "$pressed"

# The licence check box, 24 x 24.
out=uncheck.png
png -size 24x24 xc:none -fill white -stroke "$edge" -strokewidth 1.5 -draw "roundrectangle 3.5,3.5 20.5,20.5 3,3"
out=check.png
png -size 24x24 xc:none -fill "$blue" -draw "roundrectangle 3,3 21,21 3,3" \
    -fill none -stroke white -strokewidth 2 -draw "polyline 7.5,12 10.5,15.5 16.5,8.5"

# The folder-bar toggle, 24 x 24: a chevron down (open the bar) and up (close it).
out=extend.png
png -size 24x24 xc:none -fill none -stroke "$grey" -strokewidth 1.6 -draw "polyline 7,10 12,15 17,10"
out=shrink.png
png -size 24x24 xc:none -fill none -stroke "$grey" -strokewidth 1.6 -draw "polyline 7,14 12,9 17,14"

# The folder bar below the welcome page, 640 x 57: a pale panel with a line on top.
out=bottom.png
png -size 640x57 xc:'#f6f7fb' -fill "$line" -draw "rectangle 0,0 639,0"

# The progress bar along the progress page's lower edge, and the title-bar glyphs.
progress_bar
header_glyph min -draw "line 5.5,10.5 14.5,10.5"
header_glyph close -draw "line 6,6 14,14" -draw "line 14,6 6,14"

# Scroll-bar thumbs, 8 pixels across (corners 4 keep their shape when the thumb grows).
thumb() { # name width height colour
    out=$1
    png -size "$2x$3" xc:none -fill "$4" -draw "roundrectangle 0,0 $(($2 - 1)),$(($3 - 1)) 4,4"
}
thumb scrollbar.png 8 40 '#cfd3de'
thumb scrollbar_hover.png 8 40 '#aab1c4'
thumb hscrollbar.png 40 8 '#cfd3de'
thumb hscrollbar_hover.png 40 8 '#aab1c4'
