#!/usr/bin/env bash
# Whole-process comparison on a generated 12-megapixel photo-like 24-bit BMP:
#   kararisu-cli reduce --mode 0   against  convert IN +dither -colors 256 BMP3:OUT
#   kararisu-cli count             against  identify -format %k IN
# Each command runs three times; the best time and the largest peak resident
# memory are reported, with the ratios. Usage: bench/compare.sh [WIDTH HEIGHT]
set -euo pipefail
cd "$(dirname "$0")/.."
W=${1:-4000}
H=${2:-3000}

need=()
[ -x /usr/bin/convert ] && [ -x /usr/bin/identify ] || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi
tools/deps.sh test >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target kararisu-cli make_photo_bmp >/dev/null

CLI=build/default/src/cli/kararisu-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/default/bench/make_photo_bmp "$W" "$H" "$work/photo.bmp"
mkdir -p "$work/out"

# best seconds and largest peak RSS (KiB) of three runs of a command
measure() {
  local best="" rss=0 t m
  for _ in 1 2 3; do
    rm -rf "$work/out" && mkdir -p "$work/out"
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
      { cat "$work/err" >&2; exit 1; }
    read -r t m <"$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}

pixels=$((W * H))
report() {  # name ours-time ours-rss theirs-time theirs-rss
  awk -v n="$1" -v a="$2" -v am="$3" -v b="$4" -v bm="$5" -v px="$pixels" 'BEGIN {
    r = (a > 0) ? b / a : 0
    printf "%-6s kararisu %.3f s, %.0f MiB (%.1f bytes/pixel) | other %.3f s, %.0f MiB | %.1fx faster\n",
           n, a, am / 1024, am * 1024 / px, b, bm / 1024, r }'
}

echo "image: ${W}x${H}, $($CLI count "$work/photo.bmp" | cut -f2) distinct colours"
read -r rt rm < <(measure "$CLI" reduce --mode 0 --no-progress -o "$work/out" "$work/photo.bmp")
read -r it im < <(measure /usr/bin/convert "$work/photo.bmp" +dither -colors 256 "BMP3:$work/out/im.bmp")
report reduce "$rt" "$rm" "$it" "$im"
read -r ct cm < <(measure "$CLI" count "$work/photo.bmp")
read -r kt km < <(measure /usr/bin/identify -format %k "$work/photo.bmp")
report count "$ct" "$cm" "$kt" "$km"
