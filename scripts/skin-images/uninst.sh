#!/bin/sh
# Draws the uninstaller's images with ImageMagick in the converter's style (primary blue, flat
# shapes, round ends): the header with a picture frame waving goodbye, the two buttons in their
# three states, the progress bar and the close glyph. The window shadow is the shared one of
# skins/common. The PNGs are committed; run this again only to change them.
#   scripts/skin-images/uninst.sh [skins folder]
set -eu

skins=${1:-$(dirname "$0")/../../skins}
dir=$skins/Uninst
mkdir -p "$dir"

png() { convert "$@" -strip -define png:exclude-chunks=date,time "PNG32:$dir/$out"; }

blue='#5e70c4'; hover='#7383d1'; pressed='#4b5cb0'; line='#e3e6ef'
red='#ff574b'; redlight='#fff1f0'; redpale='#ffe2df'

# The header, 640 x 280: the setup's diagonal blue gradient; faint picture frames at the sides
# and, above the question, none: the text stands on the plain gradient.
out=main_bg.png
png -size 640x280 -define gradient:angle=135 gradient:"$hover"-"$pressed" \
    -fill none -stroke 'rgba(255,255,255,0.22)' -strokewidth 2 \
    -draw "roundrectangle 40,176 150,256 6,6" -draw "polyline 48,248 80,212 104,234 120,220 142,248" \
    -draw "circle 126,198 126,190" \
    -draw "roundrectangle 500,30 610,110 6,6" -draw "polyline 508,102 540,66 564,88 580,74 602,102" \
    -draw "circle 586,52 586,44"

# "直接卸载", 240 x 48: a white pill with a red edge (its text is red); hovered pale red; pushed
# a deeper pale red.
out=uninstall.png
png -size 240x48 xc:none -fill white -stroke "$red" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"
out=uninstall_hover.png
png -size 240x48 xc:none -fill "$redlight" -stroke "$red" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"
out=uninstall_pushed.png
png -size 240x48 xc:none -fill "$redpale" -stroke "$red" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"

# "再试试看" and "卸载完成", 240 x 48: filled blue, lighter when hovered, darker when pushed.
out=try.png
png -size 240x48 xc:none -fill "$blue" -draw "roundrectangle 0,0 239,47 24,24"
out=try_hover.png
png -size 240x48 xc:none -fill "$hover" -draw "roundrectangle 0,0 239,47 24,24"
out=try_pushed.png
png -size 240x48 xc:none -fill "$pressed" -draw "roundrectangle 0,0 239,47 24,24"

# The progress bar, shown 638 x 8 along the header's lower edge (corners 10,4 keep the ends).
out=progress_back.png
png -size 638x8 xc:none -fill "$line" -draw "roundrectangle 0,0 637,7 4,4"
out=progress_fore.png
png -size 638x8 -define gradient:angle=90 gradient:"$hover"-"$blue" \
    \( -size 638x8 xc:none -fill white -draw "roundrectangle 0,0 637,7 4,4" \) -compose DstIn -composite

# The close glyph over the header, 20 x 20: white; hovered on a light disc.
out=close.png
png -size 20x20 xc:none -fill none -stroke white -strokewidth 1.6 -draw "line 6,6 14,14" -draw "line 14,6 6,14"
out=close_hover.png
png -size 20x20 xc:none -fill 'rgba(255,255,255,0.25)' -draw "circle 10,10 10,0.5" \
    -fill none -stroke white -strokewidth 1.6 -draw "line 6,6 14,14" -draw "line 14,6 6,14"
