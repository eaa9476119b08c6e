#!/bin/sh
# Renders the application icon ui/resources/vornel.svg into the fixed-size PNGs
# of the hicolor theme under packaging/icons/hicolor/. Run it after the icon
# design changes and commit the results.
#
# librsvg (rsvg-convert, package librsvg2-bin) draws the picture: Debian 12's
# ImageMagick 6 renders SVG with its own built-in renderer, which paints the
# icon's gradient fills black. ImageMagick then writes the PNG as 8-bit RGBA
# without date chunks, so the files only change when the picture does.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_svg="$here/../../ui/resources/vornel.svg"
icon_name=io.github.vornel.Vornel

for size in 16 24 32 48 64 128 256; do
    dir="$here/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert --width "$size" --height "$size" "$source_svg" |
        convert - -background none -strip "png32:$dir/$icon_name.png"
done

# The Windows program's icons: the application icon with every size above in
# one file, and the two small pictures of the window as icons of their own size.
windows="$here/../windows"
convert $(for size in 16 24 32 48 64 256; do echo "$here/hicolor/${size}x${size}/apps/$icon_name.png"; done) \
    "$windows/vornel.ico"
convert "$here/../../ui/resources/product.png" "$windows/product.ico"
convert "$here/../../ui/resources/go.png" "$windows/go.ico"
