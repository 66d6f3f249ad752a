#!/bin/sh
# Draws the images of the web page panel and the account window with ImageMagick: the twelve
# frames of the loading animation, the failure picture, the account window's background, the
# default avatar and the logout button. The PNGs are committed; run this again only to change
# them.
#   scripts/skin-images/webpanel.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Pictavo "${1:-}"
mkdir -p "$dir/ping_loading"

# Loading animation, 80 x 80: twelve dots on a ring, the head in the primary blue and the
# tail fading out; frame i starts the head one dot further round.
i=1
while [ "$i" -le 12 ]; do
    set --
    k=0
    while [ "$k" -lt 12 ]; do
        # dot k steps behind the head: lighter and smaller the further back
        angle=$(( (i - 1 - k) * 30 ))
        x=$(awk -v a="$angle" 'BEGIN { printf "%.2f", 40 + 27 * sin(a * 3.14159265 / 180) }')
        y=$(awk -v a="$angle" 'BEGIN { printf "%.2f", 40 - 27 * cos(a * 3.14159265 / 180) }')
        r=$(awk -v k="$k" 'BEGIN { printf "%.2f", 5.6 - k * 0.3 }')
        alpha=$(awk -v k="$k" 'BEGIN { printf "%.2f", 1 - k * 0.075 }')
        set -- "$@" -fill "rgba(94,112,196,$alpha)" -draw "circle $x,$y $x,$(awk -v y="$y" -v r="$r" 'BEGIN { printf "%.2f", y + r }')"
        k=$((k + 1))
    done
    out=ping_loading/$i.png
    png -size 80x80 xc:none -stroke none "$@"
    i=$((i + 1))
done

# Failure picture, 64 x 64: a cloud outline with a red exclamation badge.
out=load_error.png
png -size 64x64 xc:none -fill "$panel" -stroke "$hint" -strokewidth 2 \
    -draw "path 'M 18,44 C 8,44 8,30 18,30 C 18,18 36,16 40,26 C 50,22 58,32 52,40 C 52,44 48,44 46,44 Z'" \
    -stroke none -fill "$red" -draw "circle 46,44 46,35" \
    -fill white -draw "roundrectangle 45,38 47,45 1,1" -draw "circle 46,48.5 46,47.3"

# Account window background, 20 x 20 with 5 px corners: white with a light border.
out=mycenter_bg.png
png -size 20x20 xc:none -fill white -stroke "$line" -strokewidth 1 -draw "roundrectangle 0.5,0.5 19.5,19.5 5,5"

# Default avatar, 56 x 56: a round light badge with a head-and-shoulders figure.
out=default_title.png
png -size 56x56 xc:none -fill "$line" -draw "circle 28,28 28,1" \
    -fill "$hint" -draw "circle 28,22 28,12" \
    -draw "path 'M 11,47 C 14,34 42,34 45,47 C 40,52 16,52 11,47 Z'"

# Logout button, 56 x 24: the text is the skin's; a plain frame, blue when hovered.
logout() { # name border fill
    out=$1
    png -size 56x24 xc:none -fill "$3" -stroke "$2" -strokewidth 1 -draw "roundrectangle 0.5,0.5 55.5,23.5 4,4"
}
logout btn_logout.png "$line" white
logout btn_logout_hover.png "$hover" "$panel"
