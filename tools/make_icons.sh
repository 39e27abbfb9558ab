#!/usr/bin/env bash
# Renders the program's icon (data/icons/kararisu.svg) to the PNG sizes the
# hicolor theme installs. The PNGs are committed; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "needs rsvg-convert (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 16 32 48 256; do
  mkdir -p "data/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" data/icons/kararisu.svg -o "data/icons/${size}x${size}/kararisu.png"
done
