#!/bin/sh
# Rasterises the logo and the icon from their SVG sources into the palette
# PNGs that the window carries. Run it after changing an SVG and commit the
# PNGs with it; the build only uses the PNGs.
#
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The logo is an opaque 256-colour picture: flatten it on white before the
# palette reduction so anti-aliased edges keep their shades.
rsvg-convert -w 148 -h 86 "$here/logo.svg" -o "$work/logo.png"
convert "$work/logo.png" -background white -alpha remove -alpha off \
    -colors 256 -strip -define png:exclude-chunks=date,time PNG8:"$here/logo.png"

# The icon keeps a transparent surround, which a palette PNG can only hold
# as on/off: cut the alpha at half before reducing to 16 colours.
rsvg-convert -w 32 -h 32 "$here/icon.svg" -o "$work/icon.png"
convert "$work/icon.png" -channel A -threshold 50% +channel \
    -colors 16 -strip -define png:exclude-chunks=date,time PNG8:"$here/icon.png"
