#!/bin/sh
# Draws the updater's status window background with ImageMagick: the product's blue, a light
# sheen from the top, 5 px rounded corners, at the window's own size (400 x 40). The PNG is
# committed; run this again only to change it.
#   scripts/skin-images/update.sh [skins folder]
set -eu

skins=${1:-$(dirname "$0")/../../skins}
dest=$skins/Update
mkdir -p "$dest"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Same bytes on every run: no time stamps or other metadata.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "PNG32:$out"; }

convert -size 400x40 gradient:'#7485d6-#5e70c4' "$tmp/fill.png"
convert -size 400x40 xc:none -fill white -draw "roundrectangle 0,0,399,39,5,5" "$tmp/mask.png"
out=$dest/main_bg.png
png "$tmp/fill.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite
