#!/bin/sh
# Draws the uninstaller's images with ImageMagick in the converter's style (primary blue, flat
# shapes, round ends): the header with a picture frame waving goodbye, the two buttons in their
# three states, the progress bar and the close glyph. The window shadow is the shared one of
# skins/common. The PNGs are committed; run this again only to change them.
#   scripts/skin-images/uninst.sh [skins folder]
set -eu

. "$(dirname "$0")/style.sh"
skin_folder Uninst "${1:-}"

warn='#ff574b'; warnlight='#fff1f0'; warnpale='#ffe2df'

# The header, 640 x 280: the setup's, taller; above the question no frame: the text stands on
# the plain gradient.
installer_header 640x280 40 176 500 30

# "直接卸载", 240 x 48: a white pill with a red edge (its text is red); hovered pale red; pushed
# a deeper pale red.
out=uninstall.png
png -size 240x48 xc:none -fill white -stroke "$warn" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"
out=uninstall_hover.png
png -size 240x48 xc:none -fill "$warnlight" -stroke "$warn" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"
out=uninstall_pushed.png
png -size 240x48 xc:none -fill "$warnpale" -stroke "$warn" -strokewidth 2 -draw "roundrectangle 1,1 238,46 23,23"

# "再试试看" and "卸载完成", 240 x 48: filled blue, lighter when hovered, darker when pushed.
out=try.png
png -size 240x48 xc:none -fill "$blue" -draw "roundrectangle 0,0 239,47 24,24"
out=try_hover.png
png -size 240x48 xc:none -fill "$hover" -draw "roundrectangle 0,0 239,47 24,24"
out=try_pushed.png
png -size 240x48 xc:none -fill "$pressed" -draw "roundrectangle 0,0 239,47 24,24"

# The progress bar along the header's lower edge (corners 10,4 keep the ends) and the close glyph.
progress_bar
header_glyph close -draw "line 6,6 14,14" -draw "line 14,6 6,14"
