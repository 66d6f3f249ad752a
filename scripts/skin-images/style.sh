# The product's one drawing style, sourced by the skin-image scripts after `set -eu`:
#   . "$(dirname "$0")/style.sh"
#   skin_folder Pictavo "${1:-}"
# Flat shapes in the primary blue, 1.6 px line glyphs, 5 px corners, and every PNG written the
# same way, so that the committed images come out byte for byte the same on every run.

# Images go to the folder of skin $1 below the skins folder $2 (default: the repository's).
skin_folder() {
    dir=${2:-$(dirname "$0")/../../skins}/$1
    mkdir -p "$dir"
}

# Writes what the arguments draw to $dir/$out, without time stamps or other metadata.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "PNG32:$dir/$out"; }

blue='#5e70c4'; hover='#7383d1'; pressed='#4b5cb0'; light='#edeff8'; line='#e3e6ef'
panel='#f5f6fa'; grey='#666666'; hint='#999999'; red='#e5484d'

# The installers' windows (setup and uninstaller) share their header, buttons, glyphs and progress
# bar.

# main_bg.png, $1 (W x H): a diagonal blue gradient with two faint picture frames (the
# product's motif), 110 x 80, their top left corners at $2,$3 and $4,$5.
installer_header() {
    size=$1; first="$2 $3"; second="$4 $5"
    set --
    for corner in "$first" "$second"; do
        x=${corner% *}; y=${corner#* }
        set -- "$@" -draw "roundrectangle $x,$y $((x + 110)),$((y + 80)) 6,6" \
            -draw "polyline $((x + 8)),$((y + 72)) $((x + 40)),$((y + 36)) $((x + 64)),$((y + 58)) $((x + 80)),$((y + 44)) $((x + 102)),$((y + 72))" \
            -draw "circle $((x + 86)),$((y + 22)) $((x + 86)),$((y + 14))"
    done
    out=main_bg.png
    png -size "$size" -define gradient:angle=135 gradient:"$hover"-"$pressed" \
        -fill none -stroke 'rgba(255,255,255,0.22)' -strokewidth 2 "$@"
}

# The installers' buttons, $2 wide and 48 high with round ends: filled with $3; outlined, filled
# with $3 inside a 2 px edge of $4.
pill() { # name width fill
    out=$1
    png -size "$2x48" xc:none -fill "$3" -draw "roundrectangle 0,0 $(($2 - 1)),47 24,24"
}
outlined_pill() { # name width fill edge
    out=$1
    png -size "$2x48" xc:none -fill "$3" -stroke "$4" -strokewidth 2 -draw "roundrectangle 1,1 $(($2 - 2)),46 23,23"
}

# A title-bar glyph over the header, 20 x 20: white lines; hovered, on a light disc.
header_glyph() { # name draw...
    name=$1; shift
    out=$name.png
    png -size 20x20 xc:none -fill none -stroke white -strokewidth 1.6 "$@"
    out=${name}_hover.png
    png -size 20x20 xc:none -fill 'rgba(255,255,255,0.25)' -draw "circle 10,10 10,0.5" \
        -fill none -stroke white -strokewidth 1.6 "$@"
}

# The progress bar, shown 638 x 8 with round ends: a light track and a blue gradient fill.
progress_bar() {
    out=progress_back.png
    png -size 638x8 xc:none -fill "$line" -draw "roundrectangle 0,0 637,7 4,4"
    out=progress_fore.png
    png -size 638x8 -define gradient:angle=90 gradient:"$hover"-"$blue" \
        \( -size 638x8 xc:none -fill white -draw "roundrectangle 0,0 637,7 4,4" \) -compose DstIn -composite
}
