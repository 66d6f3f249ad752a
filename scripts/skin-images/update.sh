#!/bin/sh
# Draws the updater's status window background with ImageMagick: the product's blue, a light
# sheen from the top, 5 px rounded corners, at the window's own size (400 x 40). The PNG is
# committed; run this again only to change it.
#   scripts/skin-images/update.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Update "${1:-}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 400x40 gradient:"#7485d6-$blue" "$tmp/fill.png"
convert -size 400x40 xc:none -fill white -draw "roundrectangle 0,0,399,39,5,5" "$tmp/mask.png"
out=main_bg.png
png "$tmp/fill.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite
