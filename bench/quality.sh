#!/usr/bin/env bash
# Picture quality, time and peak memory of the reduction on real photos,
# beside ImageMagick (convert +dither -colors N) and pngquant (--nofs N)
# when they are installed (absent tools are skipped).
#   photos: those of bench/photos.sh unless named (kept in $BENCH_PHOTOS
#   when set, made afresh otherwise).
# PSNR over all pixels and the three channels against the source; time is
# the best of RUNS runs (default 3) of the whole process, memory the largest
# peak resident set. pngquant reads and writes PNG (converted outside the
# timing). Usage: bench/quality.sh [PHOTO.bmp...]
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-3}

need=()
[ -x /usr/bin/time ] || need+=(time)
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target kararisu-cli psnr_bmp >/dev/null
CLI=build/default/src/cli/kararisu-cli
PSNR=build/default/bench/psnr_bmp
IM=/usr/bin/convert
PQ=/usr/bin/pngquant
[ -x "$IM" ] || { echo "ImageMagick not installed: skipped" >&2; IM=; }
[ -x "$PQ" ] || { echo "pngquant not installed: skipped" >&2; PQ=; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photos=("$@")
if [ ${#photos[@]} -eq 0 ]; then
  mapfile -t photos < <(bench/photos.sh "${BENCH_PHOTOS:-$work/photos}")
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

row() {  # photo tool colours psnr seconds kib
  printf "%-15s %-34s %6s %8s %8s %8s\n" "$1" "$2" "$3" "$4" "$5" "$(($6 / 1024))"
}

printf "%-15s %-34s %6s %8s %8s %8s\n" photo tool colours "PSNR dB" "time s" "peak MiB"
for p in "${photos[@]}"; do
  name=$(basename "$p" .bmp)
  mkdir -p "$work/out"
  for run in "0" "0 --refine" "0 --dither fs" "0 --dither ordered" "0 --refine --dither fs" \
             "4" "4 --refine"; do
    set -- $run
    mode=$1; shift
    colours=$([ "$mode" = 4 ] && echo 16 || echo 256)
    rm -f "$work/out/$name.bmp"
    read -r t m < <(measure "$CLI" reduce --mode "$mode" "$@" --force --no-progress \
      -o "$work/out" "$p")
    row "$name" "kararisu mode $mode $*" "$colours" "$("$PSNR" "$p" "$work/out/$name.bmp")" "$t" "$m"
  done
  for colours in 256 16; do
    if [ -n "$IM" ]; then
      read -r t m < <(measure "$IM" "$p" +dither -colors "$colours" "BMP3:$work/im.bmp")
      row "$name" "convert +dither -colors" "$colours" "$("$PSNR" "$p" "$work/im.bmp")" "$t" "$m"
    fi
    if [ -n "$PQ" ]; then
      /usr/bin/python3 -c "from PIL import Image; import sys; Image.open(sys.argv[1]).save(sys.argv[2])" \
        "$p" "$work/in.png"
      read -r t m < <(measure "$PQ" --nofs --force --output "$work/pq.png" "$colours" "$work/in.png")
      /usr/bin/python3 -c "from PIL import Image; import sys; Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])" \
        "$work/pq.png" "$work/pq.bmp"
      row "$name" "pngquant --nofs" "$colours" "$("$PSNR" "$p" "$work/pq.bmp")" "$t" "$m"
    fi
  done
done
