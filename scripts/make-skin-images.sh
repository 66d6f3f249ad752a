#!/bin/sh
# Draws the shared skin images (message box buttons, close button, window shadow) and the
# program icon with ImageMagick. The PNGs are committed; run this again only to change them.
#   scripts/make-skin-images.sh [skins folder]
set -eu

. "$(dirname "$0")/skin-images/style.sh"
skins=${1:-$(dirname "$0")/../skins}
skin_folder common "$skins"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Flat buttons, 5 px rounded corners (the skin keeps 5 px corners unscaled).
button() {
    out=$1
    png -size 24x40 xc:none -fill "$2" -draw "roundrectangle 0,0,23,39,5,5"
}
button btn_normal.png "$blue"   # primary
button btn_normal2.png '#aab1c4' # secondary: the left button of a pair
button btn_hover.png '#7485d6'
button btn_pushed.png '#4a5aa6'
button btn_disable.png '#c9ccd4'

# The close cross, 20 x 20: grey, and darker on a light disc when hovered.
out=close2.png
png -size 20x20 xc:none -stroke '#9a9ea8' -strokewidth 1.6 -draw "line 6,6 13.5,13.5" -draw "line 13.5,6 6,13.5"
out=close2_hover.png
png -size 20x20 xc:none -fill '#eceef3' -draw "circle 9.5,9.5 9.5,0.5" \
    -stroke "$blue" -strokewidth 1.8 -draw "line 6,6 13.5,13.5" -draw "line 13.5,6 6,13.5"

# The shadow: a large blurred rounded rectangle whose window edge lies 16 px inside; its
# corners and one pixel of each edge make a 33 x 33 nine-patch (corners 16), so that the
# stretched edges are exactly uniform.
convert -size 200x200 xc:none -fill 'rgba(24,32,64,0.42)' -draw "roundrectangle 16,16,183,183,6,6" \
    -channel A -blur 0x5 +channel "PNG32:$tmp/big.png"
crop() { convert "$tmp/big.png" -crop "$1" +repage "PNG32:$tmp/$2.png"; }
crop 16x16+0+0 tl; crop 1x16+100+0 t; crop 16x16+184+0 tr
crop 16x1+0+100 l; crop 1x1+100+100 c; crop 16x1+184+100 r
crop 16x16+0+184 bl; crop 1x16+100+184 b; crop 16x16+184+184 br
out=shadow.png
png \( "$tmp/tl.png" "$tmp/t.png" "$tmp/tr.png" +append \) \
    \( "$tmp/l.png" "$tmp/c.png" "$tmp/r.png" +append \) \
    \( "$tmp/bl.png" "$tmp/b.png" "$tmp/br.png" +append \) -background none -append

# The program icon: a picture (sun and hills) on the primary blue, 64 x 64; every program
# carries the same one.
dir=$tmp out=icon.png
png -size 64x64 xc:none -fill "$blue" -draw "roundrectangle 2,2,61,61,12,12" \
    -fill white -draw "roundrectangle 13,16,50,47,4,4" \
    -fill "$blue" -draw "polygon 16,44 28,28 36,38 41,33 47,44" \
    -fill '#ffc94d' -draw "circle 41,24 41,20"
for program in Pictavo PictavoSetup Uninst Update; do
    mkdir -p "$skins/$program"
    cp "$tmp/icon.png" "$skins/$program/icon.png"
done
