#!/usr/bin/env bash
# Picture quality, time and peak memory of the reduction on real pictures,
# for every option, beside ImageMagick (convert, without dithering and with
# Floyd-Steinberg) and pngquant (--nofs --speed 4, and its default dithered
# output) when they are installed (absent tools are skipped).
#   pictures, made reproducibly from Debian packages (fetched with
#   apt-get download and unpacked into a scratch folder, not installed) and
#   converted to 24-bit BMP with python3-pil:
#   photos: those of bench/photos.sh (kept in $BENCH_PHOTOS when set, made
#   afresh otherwise);
#   artwork: skimage's logo.png laid on white (0.25 MP, flat colours with
#   smooth edges), and sway-backgrounds' Sway_Wallpaper_Blue_1366x768.png
#   (1 MP, flat areas and gradients);
#   gradient: 1024x768, red across, green down, blue in a wave, computed
#   here with numpy (71 445 colours, no noise).
# Figures (bench/image_quality.py): PSNR over every pixel and channel;
# SSIM, RGB mean, 11 x 11 Gaussian window of sigma 1.5; "blur dB", the PSNR
# after a Gaussian blur of sigma 1.0 of both pictures, a rough model of what
# the eye sees of a dither. Time is the best of RUNS runs (default 3) of the
# whole process, memory the largest peak resident set. pngquant reads and
# writes PNG (converted outside the timing).
# Usage: bench/quality.sh [PICTURE.bmp...]   (RUNS=1 for a quick look)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-3}
PY=/usr/bin/python3

need=()
[ -x /usr/bin/time ] || need+=(time)
$PY -c 'import PIL' 2>/dev/null || need+=(python3-pil)
$PY -c 'import numpy' 2>/dev/null || need+=(python3-numpy)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target kararisu-cli >/dev/null
CLI=build/default/src/cli/kararisu-cli
QUALITY="$PY bench/image_quality.py"
IM=/usr/bin/convert
PQ=/usr/bin/pngquant
[ -x "$IM" ] || { echo "ImageMagick not installed: skipped" >&2; IM=; }
[ -x "$PQ" ] || { echo "pngquant not installed: skipped" >&2; PQ=; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pictures=("$@")
if [ ${#pictures[@]} -eq 0 ]; then
  mapfile -t pictures < <(bench/photos.sh "${BENCH_PHOTOS:-$work/photos}")
  (cd "$work" && apt-get download -q python3-skimage sway-backgrounds >/dev/null 2>&1)
  dpkg-deb -x "$work"/python3-skimage_*.deb "$work/deb"
  dpkg-deb -x "$work"/sway-backgrounds_*.deb "$work/deb"
  data=$(find "$work/deb" -type d -path '*skimage/data' | head -1)
  $PY - "$data" "$work/deb/usr/share/backgrounds/sway" "$work" <<'PY'
import sys
import numpy as np
from PIL import Image
data, sway, out = sys.argv[1:4]
logo = Image.open(f"{data}/logo.png").convert("RGBA")
white = Image.new("RGBA", logo.size, (255, 255, 255, 255))
Image.alpha_composite(white, logo).convert("RGB").save(f"{out}/logo.bmp")
Image.open(f"{sway}/Sway_Wallpaper_Blue_1366x768.png").convert("RGB").save(f"{out}/sway.bmp")
h, w = 768, 1024
y, x = np.mgrid[0:h, 0:w] / np.array([h - 1, w - 1]).reshape(2, 1, 1)
rgb = np.stack([255 * (0.15 + 0.7 * x), 255 * (0.2 + 0.6 * y * y),
                255 * (0.5 + 0.4 * np.sin(3.0 * x + 2.0 * y))], axis=2)
Image.fromarray(np.clip(rgb + 0.5, 0, 255).astype(np.uint8)).save(f"{out}/gradient.bmp")
PY
  pictures+=("$work/logo.bmp" "$work/sway.bmp" "$work/gradient.bmp")
fi

# best seconds and largest peak RSS (KiB) of RUNS runs of a command
measure() {
  local best="" rss=0 t m
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
      { cat "$work/err" >&2; return 1; }
    read -r t m <"$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}

row() {  # picture tool colours source result seconds kib
  local p s b
  read -r p s b < <($QUALITY "$4" "$5")
  printf "%-15s %-34s %6s %8s %7s %8s %7s %8s\n" "$1" "$2" "$3" "$p" "$s" "$b" "$6" "$(($7 / 1024))"
}

topng() { $PY -c "from PIL import Image; import sys; Image.open(sys.argv[1]).save(sys.argv[2])" "$1" "$2"; }
tobmp() {
  $PY -c "from PIL import Image; import sys; Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])" "$1" "$2"
}

printf "%-15s %-34s %6s %8s %7s %8s %7s %8s\n" picture tool colours "PSNR dB" SSIM "blur dB" "time s" "peak MiB"
for p in "${pictures[@]}"; do
  name=$(basename "$p" .bmp)
  mkdir -p "$work/out"
  for run in "0" "0 --refine" "0 --dither fs" "0 --dither ordered" "0 --dither auto" \
             "0 --refine --dither fs" "0 --refine --dither auto" \
             "4" "4 --refine" "4 --dither fs" "4 --refine --dither auto"; do
    set -- $run
    mode=$1; shift
    colours=$([ "$mode" = 4 ] && echo 16 || echo 256)
    rm -f "$work/out/$name.bmp"
    read -r t m < <(measure "$CLI" reduce --mode "$mode" "$@" --force --no-progress \
      -o "$work/out" "$p")
    row "$name" "kararisu mode $mode $*" "$colours" "$p" "$work/out/$name.bmp" "$t" "$m"
  done
  for colours in 256 16; do
    if [ -n "$IM" ]; then
      read -r t m < <(measure "$IM" "$p" +dither -colors "$colours" -compress none "BMP3:$work/im.bmp")
      row "$name" "convert +dither -colors" "$colours" "$p" "$work/im.bmp" "$t" "$m"
      read -r t m < <(measure "$IM" "$p" -dither FloydSteinberg -colors "$colours" -compress none \
        "BMP3:$work/im.bmp")
      row "$name" "convert -dither FloydSteinberg" "$colours" "$p" "$work/im.bmp" "$t" "$m"
    fi
    if [ -n "$PQ" ]; then
      topng "$p" "$work/in.png"
      read -r t m < <(measure "$PQ" --nofs --speed 4 --force --output "$work/pq.png" \
        "$colours" "$work/in.png")
      tobmp "$work/pq.png" "$work/pq.bmp"
      row "$name" "pngquant --nofs --speed 4" "$colours" "$p" "$work/pq.bmp" "$t" "$m"
      read -r t m < <(measure "$PQ" --force --output "$work/pq.png" "$colours" "$work/in.png")
      tobmp "$work/pq.png" "$work/pq.bmp"
      row "$name" "pngquant (dithered)" "$colours" "$p" "$work/pq.bmp" "$t" "$m"
    fi
  done
done
