#!/usr/bin/env bash
# Prepares the real photos the benchmarks measure, as 24-bit BMP files in
# FOLDER, and prints their paths, one a line. They are the colour pictures
# Debian's python3-skimage ships as data (fetched with apt-get download and
# unpacked into a scratch folder, not installed), converted with python3-pil:
# astronaut (0.26 MP), hubble_deep_field (0.87 MP), retina scaled to
# 2000x2000 (4 MP) and motorcycle_left scaled to 4224x2850 (12 MP).
# Files already in FOLDER are kept. Usage: bench/photos.sh FOLDER
set -euo pipefail
out=${1:?usage: bench/photos.sh FOLDER}
mkdir -p "$out"
names=(astronaut hubble retina4mp motorcycle12mp)
missing=0
for n in "${names[@]}"; do [ -s "$out/$n.bmp" ] || missing=1; done
if [ "$missing" -eq 1 ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && apt-get download -q python3-skimage >/dev/null 2>&1)
  dpkg-deb -x "$scratch"/python3-skimage_*.deb "$scratch/deb"
  data=$(find "$scratch/deb" -type d -path '*skimage/data' | head -1)
  /usr/bin/python3 - "$data" "$out" <<'PY'
import sys
from PIL import Image
data, out = sys.argv[1], sys.argv[2]
for name, src, size in [("astronaut", "astronaut.png", None),
                        ("hubble", "hubble_deep_field.jpg", None),
                        ("retina4mp", "retina.jpg", (2000, 2000)),
                        ("motorcycle12mp", "motorcycle_left.png", (4224, 2850))]:
    im = Image.open(f"{data}/{src}").convert("RGB")
    if size:
        im = im.resize(size, Image.LANCZOS)
    im.save(f"{out}/{name}.bmp")
PY
fi
for n in "${names[@]}"; do echo "$out/$n.bmp"; done
