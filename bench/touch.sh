#!/usr/bin/env bash
# Whole-process cost of one reduction next to the floor of reading and
# writing the file, on generated photo-like 24-bit BMPs:
#   peak resident memory (bytes a pixel, /usr/bin/time -v) of reduce --mode 0
#   and of convert IN OUT.bmp at 12, 24 and 48 megapixels;
#   at 12 MP the seconds of cat IN > OUT, convert, reduce --mode 0, --refine,
#   --dither fs and ImageMagick's -colors 256, each once after 3 s idle (the
#   realistic case: this kind of virtual machine hands freed memory back to
#   its host, so a first call after a pause pays for fresh pages) and once
#   back to back, the best of ROUNDS rounds, with the ratios.
# Usage: bench/touch.sh [ROUNDS] [BUILD]   (BUILD: a build folder, default
# build/default; its kararisu-cli and bench/make_photo_bmp are used)
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS=${1:-3}
BUILD=${2:-build/default}

need=()
[ -x /usr/bin/convert ] || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi
if [ "$BUILD" = build/default ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default -j2 --target kararisu-cli make_photo_bmp >/dev/null
fi
CLI=$BUILD/src/cli/kararisu-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# peak resident KiB of a command
peak() {
  /usr/bin/time -v -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time"
}
# elapsed seconds of a command (its output folder emptied first)
seconds() {
  rm -rf "$work/out" && mkdir -p "$work/out"
  /usr/bin/time -f "%e" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  cat "$work/time"
}

echo "peak memory, bytes a pixel"
printf "%-6s %10s %10s\n" MP "mode 0" convert
for size in "4000 3000" "6000 4000" "8000 6000"; do
  read -r w h <<<"$size"
  build=$BUILD/bench/make_photo_bmp
  "$build" "$w" "$h" "$work/p.bmp"
  mkdir -p "$work/out"
  px=$((w * h))
  r=$(peak "$CLI" reduce --mode 0 --no-progress --force -o "$work/out" "$work/p.bmp")
  c=$(peak "$CLI" convert --force "$work/p.bmp" "$work/out/c.bmp")
  awk -v p="$px" -v r="$r" -v c="$c" 'BEGIN { printf "%-6d %10.2f %10.2f\n", p / 1e6, r * 1024 / p, c * 1024 / p }'
done

"$BUILD/bench/make_photo_bmp" 4000 3000 "$work/photo.bmp"
IN=$work/photo.bmp
declare -A best
names=(cat convert mode0 refine dither magick)
run() {  # name idle|b2b command...
  local name=$1 how=$2 t
  shift 2
  [ "$how" = idle ] && sleep 3
  t=$(seconds "$@")
  local key="$name.$how"
  if [ -z "${best[$key]:-}" ] || awk "BEGIN{exit !($t < ${best[$key]})}"; then best[$key]=$t; fi
}
for _ in $(seq "$ROUNDS"); do
  for how in idle b2b; do
    run cat "$how" sh -c "cat '$IN' > '$work/out/cat.bmp'"
    run convert "$how" "$CLI" convert --force "$IN" "$work/out/c.bmp"
    run mode0 "$how" "$CLI" reduce --mode 0 --no-progress -o "$work/out" "$IN"
    run refine "$how" "$CLI" reduce --mode 0 --refine --no-progress -o "$work/out" "$IN"
    run dither "$how" "$CLI" reduce --mode 0 --dither fs --no-progress -o "$work/out" "$IN"
    run magick "$how" /usr/bin/convert "$IN" +dither -colors 256 "BMP3:$work/out/im.bmp"
  done
done
echo
echo "12 MP, seconds (best of $ROUNDS)"
printf "%-8s %8s %8s\n" "" idle b2b
for n in "${names[@]}"; do printf "%-8s %8s %8s\n" "$n" "${best[$n.idle]}" "${best[$n.b2b]}"; done
awk -v m0i="${best[mode0.idle]}" -v m0b="${best[mode0.b2b]}" -v ci="${best[cat.b2b]}" \
    -v mi="${best[magick.idle]}" -v ri="${best[refine.idle]}" -v rb="${best[refine.b2b]}" \
    -v di="${best[dither.idle]}" -v db="${best[dither.b2b]}" -v cvi="${best[convert.idle]}" \
    -v cvb="${best[convert.b2b]}" 'BEGIN {
  printf "mode 0 / ImageMagick after idle     %.3f\n", m0i / mi
  printf "mode 0 b2b / (1.5 x cat + 0.05 s)    %.3f\n", m0b / (1.5 * ci + 0.05)
  printf "mode 0 / convert                     idle %.2f  b2b %.2f\n", m0i / cvi, m0b / cvb
  printf "--refine / mode 0                    idle %.2f  b2b %.2f\n", ri / m0i, rb / m0b
  printf "--dither fs / mode 0                 idle %.2f  b2b %.2f\n", di / m0i, db / m0b
}'
