#!/usr/bin/env bash
# PNG output against pngquant and PNG against BMP on one photo (by default
# the 12-megapixel one of bench/photos.sh):
# - file sizes: our 256-colour result as PNG, the encoder's other filter and
#   level choices on the same pixels, and pngquant --nofs 256 (when
#   installed) on the same source;
# - time of `reduce --mode 0` with PNG in and out against BMP in and out,
#   the best of RUNS runs (default 5) of each, taken in turns.
# Usage: bench/png_size.sh [PHOTO.bmp]
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-5}
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target kararisu-cli png_size >/dev/null
CLI=build/default/src/cli/kararisu-cli
SIZES=build/default/bench/png_size
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photo=${1:-}
[ -n "$photo" ] || photo=$(bench/photos.sh "${BENCH_PHOTOS:-$work/photos}" | tail -1)
mkdir -p "$work/bmp" "$work/png" "$work/in"
cp "$photo" "$work/in/photo.bmp"
"$CLI" convert "$work/in/photo.bmp" "$work/in/photo.png"
echo "photo: $photo"

"$CLI" reduce --mode 0 --no-progress -q -o "$work/bmp" "$work/in/photo.bmp"
"$CLI" reduce --mode 0 --no-progress -q -o "$work/png" "$work/in/photo.png"
echo "bytes      256 colours as PNG"
"$SIZES" "$work/bmp/photo.bmp"
printf "%10d  kararisu-cli reduce --mode 0 --format png\n" "$(stat -c %s "$work/png/photo.png")"
if [ -x /usr/bin/pngquant ]; then
  /usr/bin/pngquant --nofs --force --output "$work/pq.png" 256 "$work/in/photo.png"
  printf "%10d  pngquant --nofs 256\n" "$(stat -c %s "$work/pq.png")"
else
  echo "pngquant not installed: skipped" >&2
fi

# best seconds of RUNS runs of each command, the commands taken in turns
best_bmp="" best_png=""
for _ in $(seq "$RUNS"); do
  for kind in bmp png; do
    s=$( { /usr/bin/time -f "%e" "$CLI" reduce --mode 0 --no-progress -q --force \
             -o "$work/$kind" "$work/in/photo.$kind" >/dev/null; } 2>&1 | tail -1)
    if [ "$kind" = bmp ]; then
      [ -z "$best_bmp" ] || awk "BEGIN{exit !($s < $best_bmp)}" && best_bmp=$s
    else
      [ -z "$best_png" ] || awk "BEGIN{exit !($s < $best_png)}" && best_png=$s
    fi
  done
done
echo "reduce --mode 0, best of $RUNS: BMP in and out ${best_bmp} s, PNG in and out ${best_png} s," \
  "ratio $(awk "BEGIN{printf \"%.2f\", $best_png / $best_bmp}")"
