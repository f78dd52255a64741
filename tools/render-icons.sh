#!/bin/sh
# Renders the application icon's PNG sizes from its SVG source (needs rsvg-convert, from
# librsvg2-bin). The PNGs are committed, so a build needs no SVG renderer.
set -eu
cd "$(dirname "$0")/../packaging"
for size in 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" odecet.svg -o "icons/odecet-$size.png"
done
