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
outlined_pill uninstall.png 240 white "$warn"
outlined_pill uninstall_hover.png 240 "$warnlight" "$warn"
outlined_pill uninstall_pushed.png 240 "$warnpale" "$warn"

# "再试试看" and "卸载完成", 240 x 48: filled blue, lighter when hovered, darker when pushed.
pill try.png 240 "$blue"
pill try_hover.png 240 "$hover"
pill try_pushed.png 240 "$pressed"

# The progress bar along the header's lower edge (corners 10,4 keep the ends) and the close glyph.
progress_bar
header_glyph close -draw "line 6,6 14,14" -draw "line 14,6 6,14"
